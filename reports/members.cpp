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
#include "members/loans.h"
#include "reports/writer.h"

namespace tessary {

namespace {

// A report line from its layout, numbers turned into text by Amount and Number first, so
// nothing depends on the C locale.
std::string Fill(std::string_view format, std::initializer_list<std::string_view> values) {
    return FormatTexts(format, {values.begin(), values.size()});
}

std::string Amount(double value) {
    return MoneyCell(value);
}

std::string Number(long long value) {
    return std::to_string(value);
}

void AppendLeft(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    if (text.size() < width) out.append(width - text.size(), ' ');
}

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

void MembersBalances(const std::vector<MemberRecord>& members, std::string_view typePattern,
                     const LineSink& out) {
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
        out(Fill("%5d %-23s %11f %11f %11f %11f",
                 {Number(number), m.Name.view().substr(0, 23), Amount(m.Share1), Amount(m.Share2),
                  Amount(m.LoanBalance), Amount(free)}));
    }
    out("");
    out(Fill("%5d  Members        Totals  %11f %11f %11f %11f",
             {Number(count), Amount(share1), Amount(share2), Amount(loan), Amount(unattached)}));
}

void MembersLoans(const std::vector<MemberRecord>& members, std::string_view typePattern,
                  RunState& state, const LineSink& out) {
    double arrearsTotal = 0, loanTotal = 0, interestTotal = 0, exposureTotal = 0;
    long long count = 0;
    long long number = 0;
    for (const MemberRecord& m : members) {
        ++number;
        if (IsZeroMoney(m.LoanBalance) || !TypeMatches(typePattern, m.MemberType.view())) continue;
        ++count;
        state.Member = m;
        const double arrears = LoanArrears(state);
        // Whole repayments only; the cast is guarded so that a damaged record (a tiny
        // repayment, an amount that is no number) cannot overflow it.
        long long missing = 0;
        if (m.Repayment > 0) {
            const double whole = std::trunc(arrears / m.Repayment);
            if (std::isfinite(whole))
                missing = static_cast<long long>(std::clamp(whole, -9e18, 9e18));
        }
        const double interest = CurrentInterestDue(state);
        const double exposure = std::max(interest + m.LoanBalance - m.Share1 - m.Share2, 0.0);
        AddToTotal(arrearsTotal, arrears);
        AddToTotal(loanTotal, m.LoanBalance);
        AddToTotal(interestTotal, interest);
        AddToTotal(exposureTotal, exposure);
        out(Fill("%5d %-22s %3d %11f %11f %8f %11f",
                 {Number(number), m.Name.view().substr(0, 22), Number(missing), Amount(arrears),
                  Amount(m.LoanBalance), Amount(interest), Amount(exposure)}));
    }
    out("");
    out(Fill("%5d  Loans              Totals %11f %11f %8f %11f",
             {Number(count), Amount(arrearsTotal), Amount(loanTotal), Amount(interestTotal),
              Amount(exposureTotal)}));
}

namespace {

// Statements are worked through in blocks of 101 members from the first member of the range.
// The brought-forward lines of every member of a block depend on the first log entry of the
// block (any member's within its numbers, closed members included), so the blocks are kept
// even though the log is read only once.
constexpr int kBlockSize = 101;

void Statement(const MemberRecord& m, int number, bool broughtForward,
               const std::vector<MemberLogEntry>& log, const std::size_t* first,
               const std::size_t* last, const ReportSelection& selection, const LineSink& out) {
    out("");
    out(Fill("%-30s   Member Number %d", {m.Name.view(), Number(number)}));
    for (const auto* address : {&m.Address1, &m.Address2, &m.Address3, &m.Address4, &m.Address5})
        out(address->view());

    double share1 = 0, share2 = 0, loan = 0;
    AddToTotal(share1, m.YearStartShare1);
    AddToTotal(share2, m.YearStartShare2);
    AddToTotal(loan, m.YearStartLoan);
    if (broughtForward) {
        if (!IsZeroMoney(m.YearStartShare1))
            out(Fill("               Share 1  Brought forward         %11f",
                     {Amount(m.YearStartShare1)}));
        if (!IsZeroMoney(m.YearStartShare2))
            out(Fill("               Share 2  Brought forward         %11f",
                     {Amount(m.YearStartShare2)}));
        if (!IsZeroMoney(m.YearStartLoan))
            out(Fill("               Loan     Brought forward                     %11f",
                     {Amount(m.YearStartLoan)}));
        if (!IsZeroMoney(m.YearStartInterestDue))
            out(Fill("               Interest Brought forward                     %11f",
                     {Amount(m.YearStartInterestDue)}));
    }

    std::string line, dateText;
    double dateOf = -1;
    for (const std::size_t* at = first; at != last; ++at) {
        const MemberLogEntry& e = log[*at];
        // Which balance the entry moves, and so which one its line shows: none for a fee, for
        // interest and for a type the log should never hold.
        const double* balance = nullptr;
        bool loanColumn = false;
        switch (e.TransType) {
            case 1:
            case 9:
                AddToTotal(share1, e.Amount);
                balance = &share1;
                break;
            case 5:
                AddToTotal(share1, -e.Amount);
                balance = &share1;
                break;
            case 2:
                AddToTotal(share2, e.Amount);
                balance = &share2;
                break;
            case 6:
                AddToTotal(share2, -e.Amount);
                balance = &share2;
                break;
            case 3:
                AddToTotal(loan, -e.Amount);
                balance = &loan;
                loanColumn = true;
                break;
            case 7:
                AddToTotal(loan, e.Amount);
                balance = &loan;
                loanColumn = true;
                break;
            default:
                break;
        }
        if (!InRange(e.Date, selection.fromDate, selection.toDate)) continue;
        // "%-10s %-3s %-20s %11f", then the balance in its column: built in place, since a
        // statement run writes a line for every entry of the year.
        line.clear();
        if (e.Date != dateOf) {
            dateOf = e.Date;
            dateText = FormatDate(e.Date);
        }
        AppendLeft(line, dateText, 10);
        line += ' ';
        AppendLeft(line, e.UserCode.view(), 3);
        line += ' ';
        AppendLeft(line, TypeNameOf(e.TransType), 20);
        line += ' ';
        AppendMoney(line, e.Amount, 11);
        if (balance != nullptr) {
            line.append(loanColumn ? 13 : 1, ' ');
            AppendMoney(line, *balance, 11);
        }
        out(line);
    }
    out("^");
}

}  // namespace

void MembersTransactions(const std::vector<MemberRecord>& members,
                         const std::vector<MemberLogEntry>& log, const ReportSelection& selection,
                         const LineSink& out) {
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
    // fills one index list, member by member, in file order.
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
    std::vector<std::size_t> entries(start[membersInRange]);
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < log.size(); ++i) {
            const long long n = log[i].MemberNo;
            if (n < from || n > to) continue;
            entries[fill[static_cast<std::size_t>(n - from)]++] = i;
        }
    }

    for (std::size_t offset = 0; offset < membersInRange; ++offset) {
        const std::size_t firstOfBlock = blockFirst[offset / kBlockSize];
        // A block without any entries has no first entry to judge by: its members show their
        // brought-forward balances, as they would under a log that starts in the date range.
        const bool broughtForward =
            firstOfBlock == kNone || log[firstOfBlock].Date >= selection.fromDate;
        const MemberRecord& m = members[static_cast<std::size_t>(from - 1) + offset];
        if (skipClosed && IsClosed(m)) continue;
        Statement(m, static_cast<int>(from + static_cast<long long>(offset)), broughtForward, log,
                  entries.data() + start[offset], entries.data() + start[offset + 1], selection,
                  out);
    }
}

void TransactionSummary(const std::vector<MemberLogEntry>& memberLog,
                        const std::vector<NominalLogEntry>& nominalLog, DayNumber fromDate,
                        DayNumber toDate, const LineSink& out) {
    double byType[10] = {};
    for (const MemberLogEntry& e : memberLog) {
        if (!InRange(e.Date, fromDate, toDate)) continue;
        if (e.TransType >= 1 && e.TransType <= 9) AddToTotal(byType[e.TransType], e.Amount);
    }
    const std::string fromText =
        fromDate == kDefaultFromDate ? std::string("Year Start") : FormatDate(fromDate);
    const std::string toText =
        toDate == kDefaultToDate ? std::string("Year End") : FormatDate(toDate);
    out("");
    out(Fill("                From  %s   To  %s", {fromText, toText}));
    out("");
    out(Fill("Share 1 Deposits     %11f   Share 1 Withdrawals     %11f",
             {Amount(byType[1]), Amount(byType[5])}));
    out(Fill("Share 2 Deposits     %11f   Share 2 Withdrawals     %11f",
             {Amount(byType[2]), Amount(byType[6])}));
    out(Fill("Total Share Deposits %11f   Total Share Withdrawals %11f",
             {Amount(byType[1] + byType[2]), Amount(byType[5] + byType[6])}));
    out(Fill("Dividend Shares      %11f", {Amount(byType[9])}));
    out(Fill("Loans to members     %11f   Loan Capital Repayments %11f",
             {Amount(byType[7]), Amount(byType[3])}));
    out(Fill("Loan Interest        %11f   Members Fees            %11f",
             {Amount(byType[8]), Amount(byType[4])}));
    out("");

    double income = 0, expenditure = 0;
    for (const NominalLogEntry& e : nominalLog) {
        if (!InRange(e.Date, fromDate, toDate)) continue;
        if (e.AccountNo >= kExpenditureStart) {
            AddToTotal(expenditure, e.Amount);
        } else if (e.AccountNo >= kIncomeStart) {
            AddToTotal(income, e.Amount);
        }
    }
    const double allIncome = income + byType[4] + byType[8];
    out(Fill("Income               %11f   Expenditure             %11f",
             {Amount(allIncome), Amount(expenditure)}));
    const double result = allIncome - expenditure;
    if (result > 0) {
        out(Fill("%-6s               %11f", {"Profit", Amount(result)}));
    } else {
        out(Fill("%-6s               %11f", {"Loss", Amount(-result)}));
    }
}

void MembersData(const std::vector<MemberRecord>& members, const LineSink& out) {
    long long number = 0;
    for (const MemberRecord& m : members) {
        ++number;
        out(Fill("%5d %-30s %-8s   %-16s %s",
                 {Number(number), m.Name.view(), m.MemberType.view(), m.Phone.view(),
                  m.LoanNumber != 0 ? Number(m.LoanNumber) : std::string()}));
    }
}

}  // namespace tessary
