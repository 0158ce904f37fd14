#pragma once
// The loan arithmetic: values in, values out. Each routine takes the member's record, the
// co-operative's interest terms and the date it is worked out for, and reads nothing else.

#include <array>
#include <string>
#include <string_view>

#include "core/records.h"

namespace tessary {

// The interest terms of the system record: the daily rate, and whether interest is charged
// monthly at period end (method 1) rather than by the day.
struct Rates {
    double daily = 0;
    bool monthly = false;
};
Rates RatesOf(const SystemRecord& system);

// The repayment frequencies a loan can have, by the letter stored in the member's record
// (weekly, fortnightly, four-weekly, monthly), and the days in one period of each.
struct RepaymentFrequency {
    std::string_view letter;
    double days;
};
inline constexpr std::array<RepaymentFrequency, 4> kRepaymentFrequencies = {
    {{"W", 7}, {"F", 14}, {"L", 28}, {"M", 30.41667}}};
// The days in one period of the frequency `letter` (compared exactly), or -1 for none.
double FrequencyDays(std::string_view letter);

// Interest due on the loan as at `date`.
double InterestDue(const MemberRecord& m, Rates rates, double date);
// Days in one repayment period of the loan, or -1 when no loan is set up.
double RepaymentPeriodDays(const MemberRecord& m);
// Amount overdue as at `date`: never negative, never more than the whole debt.
double LoanArrears(const MemberRecord& m, Rates rates, double date);
// "Share1= ... Interest due= ..." for the member as at `date`.
std::string BalanceLine(const MemberRecord& m, Rates rates, double date);

// Maintenance of a member's loan terms.
inline constexpr const char* kMsgIncompleteLoan = "Incomplete loan set up";
// A loan with a date needs an amount, a repayment, a frequency and a loan number.
bool LoanSetUpComplete(const MemberRecord& m);
// Sets the loan amount; a changed amount is a new loan, whose interest paid counts afresh.
void SetLoanAmount(MemberRecord& m, double amount);

}  // namespace tessary
