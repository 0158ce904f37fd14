#include "reports/members.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>

#include "core/dates.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"
#include "members/loan.h"

namespace tessary {

namespace {

// The names of the transaction types, made once; an unknown type prints no name.
std::string_view TypeNameOf(int type) {
    static const std::array<std::string, kLastNamedType + 2> kNames = [] {
        std::array<std::string, kLastNamedType + 2> names;
        for (int t = 0; t <= kLastNamedType + 1; ++t) {
            TransactionTypeName(t, names[static_cast<std::size_t>(t)]);
        }
        return names;
    }();
    if (type < 0 || type > kLastNamedType) return {};
    return kNames[static_cast<std::size_t>(type)];
}

bool IsClosed(const MemberRecord& m) {
    return m.Name.view().find('*') != std::string_view::npos;
}

bool InRange(double date, DayNumber from, DayNumber to) {
    return date >= from && date <= to;
}

}  // namespace

ReportRows MembersBalancesRows(const std::vector<MemberRecord>& members,
                               std::string_view typePattern) {
    ReportRows rows;
    double share1 = 0, share2 = 0, loan = 0, unattached = 0;
    long long count = 0;
    long long number = 0;
    for (const MemberRecord& m : members) {
        ++number;
        const bool closed = IsClosed(m);
        if (closed && IsZeroMoney(m.Share1) && IsZeroMoney(m.Share2) && IsZeroMoney(m.LoanBalance))
            continue;
        if (!TypeMatches(typePattern, m.MemberType.view())) continue;
        const double free = std::max(m.Share1 + m.Share2 - m.LoanBalance, 0.0);
        AddToTotal(share1, m.Share1);
        AddToTotal(share2, m.Share2);
        AddToTotal(loan, m.LoanBalance);
        AddToTotal(unattached, free);
        if (!closed) ++count;
        rows.Add(
            RowKind::Detail, "%5d %-23s %11f %11f %11f %11f",
            {Cell::Count(number), Cell::Text(m.Name.view().substr(0, 23)), Cell::Amount(m.Share1),
             Cell::Amount(m.Share2), Cell::Amount(m.LoanBalance), Cell::Amount(free)});
    }
    rows.Blank();
    rows.Add(RowKind::Total, "%5d  Members        Totals  %11f %11f %11f %11f",
             {Cell::Count(count), Cell::Amount(share1), Cell::Amount(share2), Cell::Amount(loan),
              Cell::Amount(unattached)});
    return rows;
}

void MembersBalances(const std::vector<MemberRecord>& members, std::string_view typePattern,
                     const LineSink& out) {
    RenderText(MembersBalancesRows(members, typePattern), out);
}

ReportRows MembersLoansRows(const std::vector<MemberRecord>& members, std::string_view typePattern,
                            Rates rates, DayNumber workingDate) {
    ReportRows rows;
    double arrearsTotal = 0, loanTotal = 0, interestTotal = 0, exposureTotal = 0;
    long long count = 0;
    long long number = 0;
    for (const MemberRecord& m : members) {
        ++number;
        if (IsZeroMoney(m.LoanBalance) || !TypeMatches(typePattern, m.MemberType.view())) continue;
        ++count;
        const double arrears = LoanArrears(m, rates, workingDate);
        // Whole repayments only; the cast is guarded so that a damaged record (a tiny
        // repayment, an amount that is no number) cannot overflow it.
        long long missing = 0;
        if (m.Repayment > 0) {
            const double whole = std::trunc(arrears / m.Repayment);
            if (std::isfinite(whole))
                missing = static_cast<long long>(std::clamp(whole, -9e18, 9e18));
        }
        const double interest = InterestDue(m, rates, workingDate);
        const double exposure = std::max(interest + m.LoanBalance - m.Share1 - m.Share2, 0.0);
        AddToTotal(arrearsTotal, arrears);
        AddToTotal(loanTotal, m.LoanBalance);
        AddToTotal(interestTotal, interest);
        AddToTotal(exposureTotal, exposure);
        rows.Add(RowKind::Detail, "%5d %-22s %3d %11f %11f %8f %11f",
                 {Cell::Count(number), Cell::Text(m.Name.view().substr(0, 22)),
                  Cell::Count(missing), Cell::Amount(arrears), Cell::Amount(m.LoanBalance),
                  Cell::Amount(interest), Cell::Amount(exposure)});
    }
    rows.Blank();
    rows.Add(RowKind::Total, "%5d  Loans              Totals %11f %11f %8f %11f",
             {Cell::Count(count), Cell::Amount(arrearsTotal), Cell::Amount(loanTotal),
              Cell::Amount(interestTotal), Cell::Amount(exposureTotal)});
    return rows;
}

void MembersLoans(const std::vector<MemberRecord>& members, std::string_view typePattern,
                  Rates rates, DayNumber workingDate, const LineSink& out) {
    RenderText(MembersLoansRows(members, typePattern, rates, workingDate), out);
}

namespace {

// Statements are worked through in blocks of 101 members from the first member of the range.
// The brought-forward lines of every member of a block depend on the first log entry of the
// block (any member's within its numbers, closed members included), so the blocks are kept
// even though the log is read only once.
constexpr int kBlockSize = 101;

// The rows a statement run fills in place for each line, as it hands on a row for every member
// and every entry of the year: a heading (a text, and the member's number on the first), a
// brought-forward amount, and a log entry.
struct StatementRows {
    Row heading{RowKind::Heading, {}, {Cell::Text("")}};
    Row amount{RowKind::Detail, {}, {Cell::Amount(0)}};
    Row entry{RowKind::Detail,
              {},
              {Cell::Date(0), Cell::Text(""), Cell::Text(""), Cell::Amount(0), Cell::Amount(0)}};
};

// The statement's lines from the member's log entries [first, last).
void Statement(const MemberRecord& m, int number, bool broughtForward, const MemberLogEntry* first,
               const MemberLogEntry* last, const ReportSelection& selection, StatementRows& rows,
               const RowSink& out) {
    const auto heading = [&out, &rows](std::string_view layout, std::string_view text) {
        rows.heading.layout = layout;
        rows.heading.cells.resize(1);
        rows.heading.cells[0].text.assign(text);
        out(rows.heading);
    };
    const auto add = [&out, &rows](std::string_view layout, double amount) {
        rows.amount.layout = layout;
        rows.amount.cells[0].value = amount;
        out(rows.amount);
    };
    out({RowKind::Blank, {}, {}});
    rows.heading.layout = "%-30s   Member Number %d";
    rows.heading.cells.resize(1);
    rows.heading.cells[0].text.assign(m.Name.view());
    rows.heading.cells.push_back(Cell::Count(number));
    out(rows.heading);
    for (const auto* address : {&m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5})
        heading("%s", address->view());

    double share1 = 0, share2 = 0, loan = 0;
    AddToTotal(share1, m.YearStartShare1);
    AddToTotal(share2, m.YearStartShare2);
    AddToTotal(loan, m.YearStartLoan);
    if (broughtForward) {
        if (!IsZeroMoney(m.YearStartShare1))
            add("               Share 1  Brought forward         %11f", m.YearStartShare1);
        if (!IsZeroMoney(m.YearStartShare2))
            add("               Share 2  Brought forward         %11f", m.YearStartShare2);
        if (!IsZeroMoney(m.YearStartLoan))
            add("               Loan     Brought forward                     %11f",
                m.YearStartLoan);
        if (!IsZeroMoney(m.YearStartInterestDue))
            add("               Interest Brought forward                     %11f",
                m.YearStartInterestDue);
    }

    Row& entry = rows.entry;
    for (const MemberLogEntry* at = first; at != last; ++at) {
        const MemberLogEntry& e = *at;
        // Which balance the entry moves, and so which one its line shows: none for a fee, for
        // interest and for a type the log should never hold.
        const double* balance = nullptr;
        bool loanColumn = false;
        switch (e.TransType) {
            case kShare1Deposit:
            case kDividendShares:
                AddToTotal(share1, e.Amount);
                balance = &share1;
                break;
            case kShare1Withdraw:
                AddToTotal(share1, -e.Amount);
                balance = &share1;
                break;
            case kShare2Deposit:
                AddToTotal(share2, e.Amount);
                balance = &share2;
                break;
            case kShare2Withdraw:
                AddToTotal(share2, -e.Amount);
                balance = &share2;
                break;
            case kLoanRepayment:
                AddToTotal(loan, -e.Amount);
                balance = &loan;
                loanColumn = true;
                break;
            case kLoanAllocation:
                AddToTotal(loan, e.Amount);
                balance = &loan;
                loanColumn = true;
                break;
            default:
                break;
        }
        if (!InRange(e.Date, selection.fromDate, selection.toDate)) continue;
        // The balance stands in the loan's column or the shares'.
        entry.layout = balance == nullptr ? "%-10s %-3s %-20s %11f"
                       : loanColumn       ? "%-10s %-3s %-20s %11f             %11f"
                                          : "%-10s %-3s %-20s %11f %11f";
        entry.cells[0].value = e.Date;
        entry.cells[1].text.assign(e.UserCode.view());
        entry.cells[2].text.assign(TypeNameOf(e.TransType));
        entry.cells[3].value = e.Amount;
        entry.cells[4] = balance != nullptr ? Cell::Amount(*balance) : Cell{};
        out(entry);
    }
    out({RowKind::PageBreak, {}, {}});
}

}  // namespace

void MembersTransactionsRows(const std::vector<MemberRecord>& members,
                             const std::vector<MemberLogEntry>& log,
                             const ReportSelection& selection, const RowSink& out) {
    const long long count = static_cast<long long>(members.size());
    long long from = selection.fromMember;
    long long to = selection.toMember;
    bool skipClosed = true;
    if (to == 0 && from != 0) {
        // One member asked for by number is printed even when closed.
        to = from;
        skipClosed = false;
    } else if (to == 0) {
        to = count;
    }
    // Members are numbered from 1; numbers outside the file have no record to print.
    from = std::max(from, 1LL);
    to = std::min(to, count);
    if (to < from) return;

    // One pass counts each member's entries and finds each block's first entry; a second
    // copies the entries, member by member, in file order. The statements then read them in
    // order: reading them where they lie in the log, each would wait on memory in turn.
    const auto membersInRange = static_cast<std::size_t>(to - from + 1);
    const std::size_t blocks = (membersInRange + kBlockSize - 1) / kBlockSize;
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> blockFirst(blocks, kNone);
    std::vector<std::size_t> start(membersInRange + 1, 0);
    for (std::size_t i = 0; i < log.size(); ++i) {
        const long long n = log[i].MemberNo;
        if (n < from || n > to) continue;
        const auto offset = static_cast<std::size_t>(n - from);
        std::size_t& firstOfBlock = blockFirst[offset / kBlockSize];
        if (firstOfBlock == kNone) firstOfBlock = i;
        ++start[offset + 1];
    }
    for (std::size_t k = 1; k <= membersInRange; ++k) start[k] += start[k - 1];
    std::vector<MemberLogEntry> entries(start[membersInRange]);
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < log.size(); ++i) {
            const long long n = log[i].MemberNo;
            if (n < from || n > to) continue;
            entries[fill[static_cast<std::size_t>(n - from)]++] = log[i];
        }
    }

    StatementRows rows;
    for (std::size_t offset = 0; offset < membersInRange; ++offset) {
        const std::size_t firstOfBlock = blockFirst[offset / kBlockSize];
        // A block without any entries has no first entry to judge by: its members show their
        // brought-forward balances, as they would under a log that starts in the date range.
        const bool broughtForward =
            firstOfBlock == kNone || log[firstOfBlock].Date >= selection.fromDate;
        const MemberRecord& m = members[static_cast<std::size_t>(from - 1) + offset];
        if (skipClosed && IsClosed(m)) continue;
        Statement(m, static_cast<int>(from + static_cast<long long>(offset)), broughtForward,
                  entries.data() + start[offset], entries.data() + start[offset + 1], selection,
                  rows, out);
    }
}

ReportRows MembersTransactionsRows(const std::vector<MemberRecord>& members,
                                   const std::vector<MemberLogEntry>& log,
                                   const ReportSelection& selection) {
    ReportRows rows;
    MembersTransactionsRows(members, log, selection,
                            [&rows](const Row& row) { rows.rows.push_back(row); });
    return rows;
}

void MembersTransactions(const std::vector<MemberRecord>& members,
                         const std::vector<MemberLogEntry>& log, const ReportSelection& selection,
                         const LineSink& out) {
    RowRenderer render(out);
    MembersTransactionsRows(members, log, selection, [&render](const Row& row) { render(row); });
}

ReportRows TransactionSummaryRows(const std::vector<MemberLogEntry>& memberLog,
                                  const std::vector<NominalLogEntry>& nominalLog,
                                  DayNumber fromDate, DayNumber toDate) {
    ReportRows rows;
    double byType[kLastNamedType + 1] = {};
    for (const MemberLogEntry& e : memberLog) {
        if (!InRange(e.Date, fromDate, toDate)) continue;
        if (e.TransType >= kFirstPostingType && e.TransType <= kLastNamedType)
            AddToTotal(byType[e.TransType], e.Amount);
    }
    const Cell fromCell =
        fromDate == kDefaultFromDate ? Cell::Text("Year Start") : Cell::Date(fromDate);
    const Cell toCell = toDate == kDefaultToDate ? Cell::Text("Year End") : Cell::Date(toDate);
    // Two labelled amounts side by side, or one.
    const auto pair = [&rows](std::string_view left, double a, std::string_view right, double b) {
        rows.Add(RowKind::Detail, "%-21s%11f   %-24s%11f",
                 {Cell::Text(left), Cell::Amount(a), Cell::Text(right), Cell::Amount(b)});
    };
    const auto one = [&rows](RowKind kind, std::string_view label, double a) {
        rows.Add(kind, "%-21s%11f", {Cell::Text(label), Cell::Amount(a)});
    };
    rows.Blank();
    rows.Add(RowKind::Heading, "                From  %s   To  %s", {fromCell, toCell});
    rows.Blank();
    pair("Share 1 Deposits", byType[kShare1Deposit], "Share 1 Withdrawals",
         byType[kShare1Withdraw]);
    pair("Share 2 Deposits", byType[kShare2Deposit], "Share 2 Withdrawals",
         byType[kShare2Withdraw]);
    pair("Total Share Deposits", byType[kShare1Deposit] + byType[kShare2Deposit],
         "Total Share Withdrawals", byType[kShare1Withdraw] + byType[kShare2Withdraw]);
    one(RowKind::Detail, "Dividend Shares", byType[kDividendShares]);
    pair("Loans to members", byType[kLoanAllocation], "Loan Capital Repayments",
         byType[kLoanRepayment]);
    pair("Loan Interest", byType[kInterest], "Members Fees", byType[kFee]);
    rows.Blank();

    double income = 0, expenditure = 0;
    for (const NominalLogEntry& e : nominalLog) {
        if (!InRange(e.Date, fromDate, toDate)) continue;
        if (e.AccountNo >= kExpenditureStart) {
            AddToTotal(expenditure, e.Amount);
        } else if (e.AccountNo >= kIncomeStart) {
            AddToTotal(income, e.Amount);
        }
    }
    const double allIncome = income + byType[kFee] + byType[kInterest];
    pair("Income", allIncome, "Expenditure", expenditure);
    const double result = allIncome - expenditure;
    if (result > 0) {
        one(RowKind::Total, "Profit", result);
    } else {
        one(RowKind::Total, "Loss", -result);
    }
    return rows;
}

void TransactionSummary(const std::vector<MemberLogEntry>& memberLog,
                        const std::vector<NominalLogEntry>& nominalLog, DayNumber fromDate,
                        DayNumber toDate, const LineSink& out) {
    RenderText(TransactionSummaryRows(memberLog, nominalLog, fromDate, toDate), out);
}

ReportRows MembersDataRows(const std::vector<MemberRecord>& members) {
    ReportRows rows;
    long long number = 0;
    for (const MemberRecord& m : members) {
        ++number;
        rows.Add(
            RowKind::Detail, "%5d %-30s %-8s   %-16s %s",
            {Cell::Count(number), Cell::Text(m.Name.view()), Cell::Text(m.MemberType.view()),
             Cell::Text(m.Phone.view()), m.LoanNumber != 0 ? Cell::Count(m.LoanNumber) : Cell{}});
    }
    return rows;
}

void MembersData(const std::vector<MemberRecord>& members, const LineSink& out) {
    RenderText(MembersDataRows(members), out);
}

}  // namespace tessary
