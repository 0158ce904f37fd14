#pragma once
// TFbank: ticking the bank's cleared entries of the nominal log against a statement.

#include "core/forms/app.h"
#include "nominal/reconcile.h"
#include "ui/form.h"

namespace tessary {

class TFbank : public ui::Form {
  public:
    explicit TFbank(App& app);

    ui::StringGrid& Bank;
    ui::Label& Label1;
    ui::Label& Lbanked;
    ui::Label& Label2;
    ui::Label& Ldifference;
    ui::Button& Next;
    ui::Button& Previous;
    ui::Button& Close;

    static constexpr int kRows = Reconciliation::kRows;

    // Shows the form from the menu, with the file set open for update.
    void Open(double statementBalance);

    void FormActivate();
    void BankKeyPress(char& key);
    void BankMouseDown();
    void NextClick();
    void PreviousClick();
    void CloseClick();

  private:
    void ShowPage();
    void SavePage();
    void Toggle();
    void ShowTotals();

    App& app_;
    double statement_ = 0;
    Reconciliation rec_;
};

// The menu's "Reconcile": asks the statement balance and opens the reconciliation form.
void Reconcile(App& app, TFbank& form);

}  // namespace tessary
