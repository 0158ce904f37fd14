#include "members/loans.h"

#include <cmath>

#include "core/dates.h"
#include "core/money.h"
#include "core/text.h"

namespace tessary {

double CurrentInterestDue(const RunState& state) {
    const MemberRecord& m = state.Member;
    if (IsZeroMoney(m.LoanBalance)) return 0;
    if (state.System.InterestMethod == 1) return m.InterestDue;
    return RoundMoney(state.DailyRate() * m.LoanBalance * (state.WorkingDate - m.LastPayDate) +
                      m.InterestDue);
}

double RepaymentPeriodDays(const RunState& state) {
    const MemberRecord& m = state.Member;
    if (m.LoanDate <= 0) return -1;
    double days = -1;
    const std::string_view f = m.Frequency.view();
    if (f == "M") {
        days = 30.41667;
    } else if (f == "L") {
        days = 28;
    } else if (f == "F") {
        days = 14;
    } else if (f == "W") {
        days = 7;
    } else {
        return -1;
    }
    return m.Repayment > 0 && m.LoanAmount > 0 ? days : -1;
}

double LoanArrears(const RunState& state) {
    const MemberRecord& m = state.Member;
    const double d = RepaymentPeriodDays(state);
    double a = 0;
    if (d > 0) {
        const double n = std::trunc((state.WorkingDate - m.LoanDate - 1) / d);
        a = n * m.Repayment - (m.LoanAmount - m.LoanBalance + m.InterestPaid);
    }
    if (a < 0) a = 0;
    const double debt = CurrentInterestDue(state) + m.LoanBalance;
    if (debt < a) a = debt;
    return RoundMoney(a);
}

void CopyNameAndAddress(App& app) {
    const MemberRecord& m = app.state.Member;
    std::string text;
    for (const auto* field :
         {&m.Name, &m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5}) {
        text += field->str() + "\r\n";
    }
    text += "\r\n" + FormatLongDate(app.Today()) + "\r\n";
    app.ui.services().SetClipboardText(text);
}

std::string BalanceLine(const RunState& state) {
    const MemberRecord& m = state.Member;
    // "%-11f": two decimals, left-aligned in 11.
    const auto left11 = [](double v) { return PadRight(FixedText(v, 2), 11); };
    const std::string interest = PadRight(FixedText(CurrentInterestDue(state), 2), 10);
    return "Share1= " + left11(m.Share1) + " Share2= " + left11(m.Share2) +
           " Loan balance= " + left11(m.LoanBalance) + " Interest due= " + interest;
}

}  // namespace tessary
