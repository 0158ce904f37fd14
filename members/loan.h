#pragma once
// The loan arithmetic: values in, values out. Each routine takes the member's record, the
// co-operative's interest terms and the date it is worked out for, and reads nothing else.

#include <string>

#include "core/records.h"

namespace tessary {

// The interest terms of the system record: the daily rate, and whether interest is charged
// monthly at period end (method 1) rather than by the day.
struct Rates {
    double daily = 0;
    bool monthly = false;
};
Rates RatesOf(const SystemRecord& system);

// Interest due on the loan as at `date`.
double InterestDue(const MemberRecord& m, Rates rates, double date);
// Days in one repayment period of the loan, or -1 when no loan is set up.
double RepaymentPeriodDays(const MemberRecord& m);
// Amount overdue as at `date`: never negative, never more than the whole debt.
double LoanArrears(const MemberRecord& m, Rates rates, double date);
// "Share1= ... Interest due= ..." for the member as at `date`.
std::string BalanceLine(const MemberRecord& m, Rates rates, double date);

}  // namespace tessary
