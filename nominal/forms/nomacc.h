#pragma once
// TFnomacc: naming and budgeting the user's nominal accounts, 20 to 159.

#include "core/forms/app.h"
#include "core/records.h"
#include "ui/form.h"

namespace tessary {

class TFnomacc : public ui::Form {
  public:
    explicit TFnomacc(App& app);

    ui::Label& Label1;
    ui::Edit& Eaccno;
    ui::Label& LNomtype;
    ui::Label& Label2;
    ui::Edit& Eaccname;
    ui::Label& Label3;
    ui::Edit& Ebudget;
    ui::Button& Next;
    ui::Button& Previous;
    ui::Button& Close;

    // Shows the form from the menu, with the file set open for update.
    void Open();

    void FormActivate();
    void EaccnoExit();
    void EaccnameExit();
    void NextClick() { Step(+1); }
    void PreviousClick() { Step(-1); }
    void CloseClick();

  private:
    static bool Maintainable(int account) {
        return account >= kFixedAssetsStart && account < kNominalAccountCount;
    }
    void Show();
    void Save();
    void Step(int d);

    App& app_;
};

}  // namespace tessary
