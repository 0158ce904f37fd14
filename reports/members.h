#pragma once
// The five reports about members: balances, loans, transactions, the transaction summary and
// the members' data. Each takes the records it reports on and hands its lines to a sink; the
// Reports menu reads the files and fills the work file.

#include <string_view>
#include <vector>

#include "core/records.h"
#include "core/state.h"
#include "members/types.h"
#include "reports/report.h"

namespace tessary {

// Report 1: each member's shares, loan and unattached shares, with totals. Closed members
// ("*" in the name) are listed only while they hold a balance, and are never counted.
void MembersBalances(const std::vector<MemberRecord>& members, std::string_view typePattern,
                     const LineSink& out);

// Report 2: each member with a loan balance, with arrears, interest and exposure as at the
// working date. The loan routines work on the run state's member buffer, so each member is
// loaded into it in turn; the last listed member stays there.
void MembersLoans(const std::vector<MemberRecord>& members, std::string_view typePattern,
                  RunState& state, const LineSink& out);

// Report 3: a statement per member in the selection's member range: name and address,
// brought-forward balances and the log entries in the date range with running balances,
// each statement followed by a page break. `log` is the member log in file order.
void MembersTransactions(const std::vector<MemberRecord>& members,
                         const std::vector<MemberLogEntry>& log, const ReportSelection& selection,
                         const LineSink& out);

// Report 15: the member log's totals by transaction type and the nominal log's income and
// expenditure between two dates, with the profit or loss.
void TransactionSummary(const std::vector<MemberLogEntry>& memberLog,
                        const std::vector<NominalLogEntry>& nominalLog, DayNumber fromDate,
                        DayNumber toDate, const LineSink& out);

// Report 16: number, name, type, phone and loan number of every member.
void MembersData(const std::vector<MemberRecord>& members, const LineSink& out);

}  // namespace tessary
