#pragma once
// Closing a month and closing the year. The engine routines open the file set for update,
// change every member and nominal account in one run and commit it whole; the menu commands
// below them check, ask and say how it ended.

#include <string>

#include "core/state.h"
#include "core/update.h"

namespace tessary {

inline constexpr const char* kMsgOnlyTwelvePeriods = "Only 12 periods in the year";
inline constexpr const char* kMsgPeriodEndTooSoon =
    "Period end processing too soon after the previous period end";
inline constexpr const char* kMsgYearEndTooEarly =
    "Year end process only permitted after period 12";
inline constexpr const char* kMsgPeriodEndFinished = "Period End Processing Finished";
inline constexpr const char* kMsgYearEndFinished = "Year End Processing Finished";
// Period ends are at least this many days apart.
inline constexpr double kPeriodEndGapDays = 15;

// Why a period end may not run now, or "".
std::string PeriodEndRefusal(const SystemRecord& system, double workingDate);
// Why a year end may not run now, or "".
std::string YearEndRefusal(const SystemRecord& system);

// A period end's effect on one member: the month's interest charged on the loan when
// interest is charged monthly, and Share 1 added to the running sum the dividend is paid on.
void EndMemberPeriod(MemberRecord& member, const SystemRecord& system);
// On one nominal account: the balance now is where the next period starts.
void EndAccountPeriod(NominalAccountRecord& account);
// On the system record: the period number moves on and `date` is the last period end.
void EndSystemPeriod(SystemRecord& system, double date);
// The system log's description of the period end of `period`.
std::string PeriodEndDescription(int period);
// A year end's effect on one member: this year's closing balances start the next, and the
// year's running sum is kept for the dividend.
void RollMemberYear(MemberRecord& member);

struct PeriodRun {
    bool opened = false;    // false: the open said why (files in use, restore offered)
    std::string refused;    // the stored system record refuses the run, or ""
    UpdateOutcome outcome;  // how the run ended once started
};

// Charges the month's loan interest (interest method 1), adds each Share 1 to its running
// sum, fixes the nominal period-start balances and logs "Process Month n"; the period number
// moves on and the working date becomes the last period end.
PeriodRun PeriodEnd(RunState& state);
// Carries the year's surplus to undivided earnings, fixes the nominal start balances, rolls
// the members' start balances and share sums, empties the three logs and starts period 1.
PeriodRun YearEnd(RunState& state);

}  // namespace tessary
