#pragma once
// TFcalculate: quoting a loan's repayments before it is granted. Reads and writes no data.

#include "core/forms/app.h"
#include "ui/form.h"

namespace tessary {

class TFcalculate : public ui::Form {
  public:
    explicit TFcalculate(App& app);

    ui::Label& Lcalc;
    ui::Label& Lfreq;
    ui::Label& Lfreq2;
    ui::Edit& Efreq;
    ui::Label& Lloan;
    ui::Edit& Eloan;
    ui::Label& Lrepayment;
    ui::Edit& Erepayment;
    ui::Label& Lnumrepays;
    ui::Edit& Enorepays;
    ui::Label& LPlus;
    ui::Label& Ltotinterest;
    ui::Label& Linterest;
    ui::Label& Ltotalcost;
    ui::Label& Lcost;
    ui::Button& Bclose;
    ui::Button& Bcalc;

    // Shows the form from the menu. Later activations (returning from the error box) keep
    // the figures being worked on.
    void Open();

    void FormActivate();
    void EfreqExit();
    void EloanExit();
    void ErepaymentExit();
    void EnorepaysExit();
    void BcalcClick();
    void BcloseClick();
    void Calculate();

  private:
    App& app_;
    double loan_ = 0;
    double rate_ = 0;  // per repayment period
    int repayments_ = 0;
    double enteredRepayment_ = 0;
};

}  // namespace tessary
