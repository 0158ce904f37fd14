#pragma once
// The loan book and the system's own activity: distribution of loans by size (10), delinquent
// loans by days overdue (11), balances beyond the insured limits (12) and the system log (13),
// each as rows (reports/rows.h); the one taking a LineSink renders them as the report's text.

#include <array>
#include <vector>

#include "core/records.h"
#include "members/loan.h"
#include "reports/chart.h"
#include "reports/report.h"
#include "reports/rows.h"

namespace tessary {

// Days the member's loan is overdue as at `date`; -1 when the loan has no repayment period.
// One repayment behind is 1 day; each further repayment missed adds a repayment period.
int DaysOverdue(const MemberRecord& m, Rates rates, DayNumber date);

// The loans of one size band, and the six bands from the smallest loans up.
struct LoanSizeBand {
    int count = 0;
    double total = 0;
};
using LoanDistribution = std::array<LoanSizeBand, 6>;

LoanDistribution DistributionOfLoansRows(const std::vector<MemberRecord>& members,
                                         DayNumber fromDate);
// The six band rows, the total and the from-date note.
ReportRows RowsOf(const LoanDistribution& bands, DayNumber fromDate);
void DistributionOfLoans(const std::vector<MemberRecord>& members, DayNumber fromDate,
                         const LineSink& out);
Chart DistributionOfLoansChart(const LoanDistribution& bands, DayNumber fromDate);

// The loans of one age band, and the six bands from the least overdue on.
struct DelinquencyBand {
    int count = 0;
    double arrears = 0, value = 0, net = 0;
};
using Delinquency = std::array<DelinquencyBand, 6>;

// Each loan by its days overdue as at the working date, under the system's interest terms.
Delinquency DelinquentLoansRows(const std::vector<MemberRecord>& members, Rates rates,
                                DayNumber workingDate);
// The six band rows and their total.
ReportRows RowsOf(const Delinquency& bands);
void DelinquentLoans(const std::vector<MemberRecord>& members, Rates rates, DayNumber workingDate,
                     const LineSink& out);
Chart DelinquentLoansChart(const Delinquency& bands);
ReportRows InsuranceRows(const std::vector<MemberRecord>& members, const SystemRecord& system);
void InsuranceReport(const std::vector<MemberRecord>& members, const SystemRecord& system,
                     const LineSink& out);
ReportRows SystemControlRows(const std::vector<SyslogRecord>& log, DayNumber fromDate,
                             DayNumber toDate);
void SystemControl(const std::vector<SyslogRecord>& log, DayNumber fromDate, DayNumber toDate,
                   const LineSink& out);

}  // namespace tessary
