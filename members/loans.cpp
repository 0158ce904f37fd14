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

std::string BalanceLine(const RunState& state) {
    return BalanceLine(state.Member, RatesOf(state.System), state.WorkingDate);
}

}  // namespace tessary
