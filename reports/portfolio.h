#pragma once
// The loan book and the system's own activity: distribution of loans by size (10), delinquent
// loans by days overdue (11), balances beyond the insured limits (12) and the system log (13).

#include <vector>

#include "core/state.h"
#include "reports/report.h"

namespace tessary {

// Days the loan of the member in the run state's buffer is overdue as at the working date;
// -1 when the loan has no repayment period. One repayment behind is 1 day; each further
// repayment missed adds a repayment period.
int DaysOverdue(const RunState& state);

void DistributionOfLoans(const std::vector<MemberRecord>& members, DayNumber fromDate,
                         const LineSink& out);
// `state` gives the working date and rates the loan routines work with; its member buffer is
// used for each member in turn.
void DelinquentLoans(RunState& state, const std::vector<MemberRecord>& members,
                     const LineSink& out);
void InsuranceReport(const std::vector<MemberRecord>& members, const SystemRecord& system,
                     const LineSink& out);
void SystemControl(const std::vector<SyslogRecord>& log, DayNumber fromDate, DayNumber toDate,
                   const LineSink& out);

}  // namespace tessary
