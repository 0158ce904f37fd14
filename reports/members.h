#pragma once
// The five reports about members: balances, loans, transactions, the transaction summary and
// the members' data. Each is a function from the records it reports on to rows (reports/rows.h);
// the one taking a LineSink renders those rows as the report's text. The Reports menu reads the
// files and fills the work file.

#include <string_view>
#include <vector>

#include "core/records.h"
#include "members/loan.h"
#include "members/types.h"
#include "reports/report.h"
#include "reports/rows.h"

namespace tessary {

// Report 1: each member's shares, loan and unattached shares, with totals. Closed members
// ("*" in the name) are listed only while they hold a balance, and are never counted.
ReportRows MembersBalancesRows(const std::vector<MemberRecord>& members,
                               std::string_view typePattern);
void MembersBalances(const std::vector<MemberRecord>& members, std::string_view typePattern,
                     const LineSink& out);

// Report 2: each member with a loan balance, with arrears, interest and exposure as at the
// working date, under the system's interest terms.
ReportRows MembersLoansRows(const std::vector<MemberRecord>& members, std::string_view typePattern,
                            Rates rates, DayNumber workingDate);
void MembersLoans(const std::vector<MemberRecord>& members, std::string_view typePattern,
                  Rates rates, DayNumber workingDate, const LineSink& out);

// Report 3: a statement per member in the selection's member range: name and address,
// brought-forward balances and the log entries in the date range with running balances,
// each statement followed by a page break. `log` is the member log in file order. A run over
// the whole log is long, so the rows are handed on one at a time as well as gathered.
void MembersTransactionsRows(const std::vector<MemberRecord>& members,
                             const std::vector<MemberLogEntry>& log,
                             const ReportSelection& selection, const RowSink& out);
ReportRows MembersTransactionsRows(const std::vector<MemberRecord>& members,
                                   const std::vector<MemberLogEntry>& log,
                                   const ReportSelection& selection);
void MembersTransactions(const std::vector<MemberRecord>& members,
                         const std::vector<MemberLogEntry>& log, const ReportSelection& selection,
                         const LineSink& out);

// Report 15: the member log's totals by transaction type and the nominal log's income and
// expenditure between two dates, with the profit or loss.
ReportRows TransactionSummaryRows(const std::vector<MemberLogEntry>& memberLog,
                                  const std::vector<NominalLogEntry>& nominalLog,
                                  DayNumber fromDate, DayNumber toDate);
void TransactionSummary(const std::vector<MemberLogEntry>& memberLog,
                        const std::vector<NominalLogEntry>& nominalLog, DayNumber fromDate,
                        DayNumber toDate, const LineSink& out);

// Report 16: number, name, type, phone and loan number of every member.
ReportRows MembersDataRows(const std::vector<MemberRecord>& members);
void MembersData(const std::vector<MemberRecord>& members, const LineSink& out);

}  // namespace tessary
