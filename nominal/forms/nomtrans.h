#pragma once
// TFnomtrans: keying cash-book entries into the user's nominal batch.

#include <optional>
#include <vector>

#include "core/forms/app.h"
#include "core/update.h"
#include "ui/form.h"

namespace tessary {

class TFnomtrans : public ui::Form {
  public:
    explicit TFnomtrans(App& app);

    ui::Label& Label1;
    ui::ListBox& ListBox1;
    ui::Label& Label2;
    ui::Edit& Edit2;
    ui::Label& Label3;
    ui::Edit& Edit3;
    ui::Button& Next;
    ui::Button& Previous;
    ui::Button& Close;

    // Shows the form from the menu: the batch and the account list are opened afresh.
    void Open();

    void FormActivate();
    void Edit2Exit();
    void NextClick() { Step(+1); }
    void PreviousClick() { Step(-1); }
    void CloseClick();

  private:
    void Show();
    // The amount typed; nothing, with "Invalid" shown and the focus kept, when it is refused.
    std::optional<double> TakeAmount();
    // Takes the form into the entry buffer; false when the amount is refused.
    bool TakeForm();
    // Writes the entry at its place in the batch; says so when it cannot.
    bool WriteEntry();
    void Step(int d);

    App& app_;
    File batch_;
    // Held while the form is open, so another copy of the program cannot post the batch.
    BatchLock lock_;
    std::int64_t position_ = 0;
    int firstAccount_ = 20;
    std::vector<int> accountAt_;   // list position -> account number
    std::vector<int> positionOf_;  // account number - first account -> list position (-1: none)
};

}  // namespace tessary
