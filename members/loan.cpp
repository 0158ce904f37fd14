#include "members/loan.h"

#include <cmath>

#include "core/money.h"
#include "core/text.h"

namespace tessary {

Rates RatesOf(const SystemRecord& system) {
    return {DailyInterestRate(system), system.InterestMethod == 1};
}

double InterestDue(const MemberRecord& m, Rates rates, double date) {
    if (IsZeroMoney(m.LoanBalance)) return 0;
    if (rates.monthly) return m.InterestDue;
    return RoundMoney(rates.daily * m.LoanBalance * (date - m.LastPayDate) + m.InterestDue);
}

double FrequencyDays(std::string_view letter) {
    for (const RepaymentFrequency& f : kRepaymentFrequencies) {
        if (f.letter == letter) return f.days;
    }
    return -1;
}

double RepaymentPeriodDays(const MemberRecord& m) {
    if (m.LoanDate <= 0) return -1;
    const double days = FrequencyDays(m.Frequency.view());
    if (days < 0) return -1;
    return m.Repayment > 0 && m.LoanAmount > 0 ? days : -1;
}

double LoanArrears(const MemberRecord& m, Rates rates, double date) {
    const double d = RepaymentPeriodDays(m);
    double a = 0;
    if (d > 0) {
        const double n = std::trunc((date - m.LoanDate - 1) / d);
        a = n * m.Repayment - (m.LoanAmount - m.LoanBalance + m.InterestPaid);
    }
    if (a < 0) a = 0;
    const double debt = InterestDue(m, rates, date) + m.LoanBalance;
    if (debt < a) a = debt;
    return RoundMoney(a);
}

std::string BalanceLine(const MemberRecord& m, Rates rates, double date) {
    // "%-11f": two decimals, left-aligned in 11.
    const auto left11 = [](double v) { return PadRight(FixedText(v, 2), 11); };
    const std::string interest = PadRight(FixedText(InterestDue(m, rates, date), 2), 10);
    return "Share1= " + left11(m.Share1) + " Share2= " + left11(m.Share2) +
           " Loan balance= " + left11(m.LoanBalance) + " Interest due= " + interest;
}

bool LoanSetUpComplete(const MemberRecord& m) {
    return m.LoanDate <= 0 ||
           (m.LoanAmount > 0 && m.Repayment > 0 && !m.Frequency.empty() && m.LoanNumber > 0);
}

void SetLoanAmount(MemberRecord& m, double amount) {
    if (amount != m.LoanAmount) m.InterestPaid = 0;
    m.LoanAmount = amount;
}

}  // namespace tessary
