#pragma once
// The loan routines for the member in the run state's buffer as at the working date, over
// the values-in routines of members/loan.h; and the clipboard copy of a member's address.

#include "core/state.h"
#include "members/loan.h"

namespace tessary {

// Interest due on the loan as at the working date.
double CurrentInterestDue(const RunState& state);
// Days in one repayment period of the member's loan, or -1 when no loan is set up.
double RepaymentPeriodDays(const RunState& state);
// Amount overdue as at the working date: never negative, never more than the whole debt.
double LoanArrears(const RunState& state);
// "Share1= ... Interest due= ..." for the member in the buffer.
std::string BalanceLine(const RunState& state);

}  // namespace tessary
