#include "calculator/forms/calculate.h"

#include <climits>
#include <cmath>
#include <optional>
#include <string>

#include "calculator/annuity.h"
#include "core/forms/mainform.h"
#include "core/money.h"
#include "core/text.h"

namespace tessary {

namespace {

// The rate per repayment period for a frequency letter, or nothing for any other text.
std::optional<double> PeriodRate(const RunState& s, const std::string& letter) {
    if (letter == "W") return s.DailyRate() * 7;
    if (letter == "F") return s.DailyRate() * 14;
    if (letter == "L") return s.DailyRate() * 28;
    if (letter == "M") return s.MonthlyRate();
    return std::nullopt;
}

// Two decimals; a result that rounds to nothing shows as 0.00, not -0.00.
std::string Amount(double x) {
    const double rounded = RoundMoney(x);
    return FixedText(rounded == 0 ? 0.0 : rounded, 2);
}

}  // namespace

TFcalculate::TFcalculate(App& app)
    : ui::Form("TFcalculate"),
      Lcalc(Add<ui::Label>("Lcalc")),
      Lfreq(Add<ui::Label>("Lfreq")),
      Lfreq2(Add<ui::Label>("Lfreq2")),
      Efreq(Add<ui::Edit>("Efreq")),
      Lloan(Add<ui::Label>("Lloan")),
      Eloan(Add<ui::Edit>("Eloan")),
      Lrepayment(Add<ui::Label>("Lrepayment")),
      Erepayment(Add<ui::Edit>("Erepayment")),
      Lnumrepays(Add<ui::Label>("Lnumrepays")),
      Enorepays(Add<ui::Edit>("Enorepays")),
      LPlus(Add<ui::Label>("LPlus")),
      Ltotinterest(Add<ui::Label>("Ltotinterest")),
      Linterest(Add<ui::Label>("Linterest")),
      Ltotalcost(Add<ui::Label>("Ltotalcost")),
      Lcost(Add<ui::Label>("Lcost")),
      Bclose(Add<ui::Button>("Bclose")),
      Bcalc(Add<ui::Button>("Bcalc")),
      app_(app) {
    caption = "Loan Calculator";
    const auto label = [](ui::Label& l, int x, int y, const char* text) {
        l.left = x;
        l.top = y;
        l.caption = text;
    };
    label(Lcalc, 320, 30, "Loan Calculator");
    Lcalc.font.bold = true;
    label(Lfreq, 120, 90, "Repay weekly (W), fortnightly (F),");
    label(Lfreq2, 120, 110, "lunar monthly (L), or monthly (M)");
    label(Lloan, 120, 150, "Loan amount");
    label(Lrepayment, 120, 190, "Repayment amount");
    label(Lnumrepays, 120, 230, "Number of repayments");
    label(Ltotinterest, 120, 290, "Total Interest");
    label(Ltotalcost, 120, 330, "Total Cost");

    Efreq.Place(380, 96, 30, 22);
    Efreq.maxLength = 1;
    Efreq.text = "M";
    Eloan.Place(380, 146, 110, 22);
    Eloan.maxLength = 11;
    Erepayment.Place(380, 186, 110, 22);
    Enorepays.Place(380, 226, 60, 22);
    Enorepays.maxLength = 4;
    int tab = 0;
    for (ui::Edit* e : {&Efreq, &Eloan, &Erepayment, &Enorepays}) e->tabOrder = tab++;
    LPlus.Place(450, 230, 120, 20);
    LPlus.autoSize = false;
    for (ui::Label* value : {&Linterest, &Lcost}) {
        value->Place(380, value == &Linterest ? 290 : 330, 110, 20);
        value->autoSize = false;
        value->alignment = ui::Alignment::Right;
    }

    Bclose.caption = "&Close";
    Bclose.Place(200, 420, 100, 30);
    Bclose.tabOrder = 4;
    Bclose.tabStop = false;
    Bcalc.caption = "Calculate";
    Bcalc.Place(450, 420, 100, 30);
    Bcalc.tabOrder = 5;

    OnActivate = [this] { FormActivate(); };
    Efreq.OnExit = [this] { EfreqExit(); };
    Eloan.OnExit = [this] { EloanExit(); };
    Erepayment.OnExit = [this] { ErepaymentExit(); };
    Enorepays.OnExit = [this] { EnorepaysExit(); };
    Bcalc.OnClick = [this] { BcalcClick(); };
    Bclose.OnClick = [this] { BcloseClick(); };
}

void TFcalculate::Open() {
    MarkOpening();
    app_.ui.Show(*this);
}

void TFcalculate::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    rate_ = app_.state.MonthlyRate();
    loan_ = 0;
    repayments_ = 0;
    enteredRepayment_ = 0;
    PlaceFocus(&Efreq);
}

void TFcalculate::EfreqExit() {
    Efreq.text = UpperCase1252(Efreq.text);
    if (const auto rate = PeriodRate(app_.state, Efreq.text)) {
        rate_ = *rate;
    } else {
        Efreq.SetFocus();
    }
    // A new frequency makes the figures worked out before meaningless.
    Enorepays.text.clear();
    Erepayment.text.clear();
    Lcost.caption.clear();
    Linterest.caption.clear();
    LPlus.caption.clear();
    repayments_ = 0;
    enteredRepayment_ = 0;
}

void TFcalculate::EloanExit() {
    // A mistyped amount quotes nothing rather than a stale loan.
    const auto loan = ReadExactNumber(Eloan.text);
    loan_ = loan.value_or(0);
    if (!loan) Eloan.SetFocus();
}

void TFcalculate::ErepaymentExit() {
    const auto repayment = ReadExactNumber(Erepayment.text);
    if (!repayment) {
        Erepayment.text.clear();
        enteredRepayment_ = 0;
        return;
    }
    // The repayment and the number of repayments are alternatives.
    enteredRepayment_ = *repayment;
    repayments_ = 0;
    Enorepays.text.clear();
}

void TFcalculate::EnorepaysExit() {
    const auto n = ReadWholeNumber(Enorepays.text, WholeNumberForm{});
    if (!n || *n < INT_MIN || *n > INT_MAX) {
        Enorepays.text.clear();
        repayments_ = 0;
        return;
    }
    repayments_ = static_cast<int>(*n);
    enteredRepayment_ = 0;
    Erepayment.text.clear();
}

void TFcalculate::BcalcClick() {
    Calculate();
    Efreq.SetFocus();
}

void TFcalculate::BcloseClick() {
    ReturnToMain(app_, *this, std::nullopt);
}

void TFcalculate::Calculate() {
    if (loan_ > 0 && repayments_ > 0) {
        const double repayment = RoundMoney(Payment(rate_, repayments_, loan_));
        Erepayment.text = FixedText(repayment, 2);
        Lcost.caption = Amount(repayments_ * repayment);
        Linterest.caption = Amount(repayments_ * repayment - loan_);
        LPlus.caption.clear();
    } else if (loan_ > 0 && enteredRepayment_ > 1) {
        const double p = RoundMoney(enteredRepayment_);
        const auto q = NumberOfPeriods(rate_, p, loan_);
        if (!q) {
            app_.ShowModalMessage("NumberOfPeriods");
            return;
        }
        const double whole = std::trunc(*q);
        repayments_ = whole >= INT_MAX ? INT_MAX : static_cast<int>(whole);
        Enorepays.text = FixedText(whole, 0);
        LPlus.caption = "+ " + PadLeft(FixedText((*q - whole) * p, 2), 6);
        Lcost.caption = Amount(*q * p);
        Linterest.caption = Amount(*q * p - loan_);
    }
}

}  // namespace tessary
