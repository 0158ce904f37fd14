#pragma once
// The loan book and the system's own activity: distribution of loans by size (10), delinquent
// loans by days overdue (11), balances beyond the insured limits (12) and the system log (13).

#include <array>
#include <vector>

#include "core/state.h"
#include "reports/chart.h"
#include "reports/report.h"

namespace tessary {

// Days the loan of the member in the run state's buffer is overdue as at the working date;
// -1 when the loan has no repayment period. One repayment behind is 1 day; each further
// repayment missed adds a repayment period.
int DaysOverdue(const RunState& state);

// The loans of one size band, and the six bands from the smallest loans up.
struct LoanSizeBand {
    int count = 0;
    double total = 0;
};
using LoanDistribution = std::array<LoanSizeBand, 6>;

LoanDistribution DistributionOfLoansRows(const std::vector<MemberRecord>& members,
                                         DayNumber fromDate);
// The six band lines, the total and the from-date note.
void WriteDistributionOfLoans(const LoanDistribution& bands, DayNumber fromDate,
                              const LineSink& out);
void DistributionOfLoans(const std::vector<MemberRecord>& members, DayNumber fromDate,
                         const LineSink& out);
Chart DistributionOfLoansChart(const LoanDistribution& bands, DayNumber fromDate);

// The loans of one age band, and the six bands from the least overdue on.
struct DelinquencyBand {
    int count = 0;
    double arrears = 0, value = 0, net = 0;
};
using Delinquency = std::array<DelinquencyBand, 6>;

// `state` gives the working date and rates the loan routines work with; its member buffer is
// used for each member in turn.
Delinquency DelinquentLoansRows(RunState& state, const std::vector<MemberRecord>& members);
void WriteDelinquentLoans(const Delinquency& bands, const LineSink& out);
void DelinquentLoans(RunState& state, const std::vector<MemberRecord>& members,
                     const LineSink& out);
Chart DelinquentLoansChart(const Delinquency& bands);
void InsuranceReport(const std::vector<MemberRecord>& members, const SystemRecord& system,
                     const LineSink& out);
void SystemControl(const std::vector<SyslogRecord>& log, DayNumber fromDate, DayNumber toDate,
                   const LineSink& out);

}  // namespace tessary
