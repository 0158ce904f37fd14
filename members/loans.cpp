#include "members/loans.h"

#include "core/dates.h"
#include "core/money.h"
#include "core/text.h"

namespace tessary {

double CurrentInterestDue(const RunState& state) {
    return InterestDue(state.Member, RatesOf(state.System), state.WorkingDate);
}

double RepaymentPeriodDays(const RunState& state) {
    return RepaymentPeriodDays(state.Member);
}

double LoanArrears(const RunState& state) {
    return LoanArrears(state.Member, RatesOf(state.System), state.WorkingDate);
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
    return BalanceLine(state.Member, RatesOf(state.System), state.WorkingDate);
}

}  // namespace tessary
