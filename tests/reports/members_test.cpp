// The member reports as functions from records to lines: the type pattern, balances, loans,
// statements, the transaction summary and the members' data. Whole reports are compared with
// the hand-written texts in expected/.

#include "reports/members.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "core/dates.h"
#include "reports/expected.h"

namespace tessary {
namespace {

using Lines = std::vector<std::string>;

DayNumber Day(const char* text) {
    return ParseDate(text, std::chrono::year{2026});
}

void ExpectReport(const Lines& lines, const std::string& name) {
    EXPECT_REPORT(lines, name);
}

MemberRecord Member(std::string_view name, std::string_view type = "", double share1 = 0,
                    double share2 = 0, double loan = 0) {
    MemberRecord m;
    m.Name.set(name);
    m.MemberType.set(type);
    m.Share1 = share1;
    m.Share2 = share2;
    m.LoanBalance = loan;
    return m;
}

MemberLogEntry Entry(int member, const char* date, int type, double amount,
                     std::string_view user = "JAS") {
    MemberLogEntry e;
    e.MemberNo = member;
    e.Date = Day(date);
    e.TransType = type;
    e.Amount = amount;
    e.UserCode.set(user);
    return e;
}

NominalLogEntry Posted(int account, const char* date, double amount) {
    NominalLogEntry e;
    e.AccountNo = account;
    e.Date = Day(date);
    e.Amount = amount;
    return e;
}

TEST(MembersBalances, ListsTheTypesThatFitAndTotals) {
    const std::vector<MemberRecord> members = {
        Member("Alice Ames", "AB", 100, 50, 200),
        Member("Bob Brown", "B", 10, 0, 0),
        Member("*", "AX1"),
        Member("Closed *Carol", "A", 25.50),
        Member("Dan Dare", "ba", 5, 0, 0),
        Member("Evelyn Margaret Whitfield-Jone", " ax1", 1234.56, 0, 1000),
    };
    LineCollector out;
    MembersBalances(members, "A?", out.sink());
    ExpectReport(out.lines, "members_balances.txt");
}

TEST(MembersLoans, ListsLoansWithArrearsInterestAndExposure) {
    const DayNumber today = Day("01/03/2026");
    const double loanDate = today - 30;  // 4 weekly or 2 fortnightly instalments

    MemberRecord ann = Member("Ann Loan", "L1", 100, 0, 600);
    ann.LoanDate = loanDate;
    ann.LoanAmount = 700;
    ann.Repayment = 50;
    ann.Frequency.set("W");
    ann.InterestDue = 12.34;
    MemberRecord zero = Member("Zero Repay", "LX", 400, 0, 300);
    zero.LoanDate = loanDate;
    zero.LoanAmount = 300;
    zero.Frequency.set("M");
    MemberRecord zed = Member("Zed Closed*", "L1", 0, 0, 100);
    zed.LoanDate = loanDate;
    zed.LoanAmount = 100;
    zed.Repayment = 10;
    zed.Frequency.set("F");
    zed.InterestDue = 1.5;
    MemberRecord other = Member("Other Type", "M1", 0, 0, 50);
    other.InterestDue = 9;

    const std::vector<MemberRecord> members = {ann, Member("No Loan Nick", "L1", 20), zero, zed,
                                               other};
    LineCollector out;
    MembersLoans(members, "L?", Rates{.daily = 0, .monthly = true}, today, out.sink());
    ExpectReport(out.lines, "members_loans.txt");
}

TEST(MembersLoans, InterestAccruesToTheWorkingDate) {
    SystemRecord system;
    system.InterestMethod = 2;
    system.InterestRate = 1;  // percent a month: 12 a day on 36525
    MemberRecord m = Member("Daily", "", 0, 0, 36525);
    m.LastPayDate = Day("01/03/2026");
    m.InterestDue = 0.5;
    LineCollector out;
    MembersLoans({m}, "", RatesOf(system), Day("11/03/2026"), out.sink());
    ASSERT_EQ(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[0],
              "    1 Daily                    0        0.00    36525.00   120.50    36645.50");
}

TEST(MembersLoans, ExposureIsTheDebtBeyondBothShareAccounts) {
    // Interest as stored; exposure = interest + loan - Share 1 - Share 2, never below nothing.
    const struct {
        double share1, share2, loan, interest, exposure;
    } kCases[] = {
        {120.37, 245.19, 812.64, 7.43, 454.51},  // both accounts count against the debt
        {15.08, 377.82, 509.16, 2.71, 118.97},   // Share 2 the larger
        {310.55, 402.18, 655.91, 3.27, 0},       // covered only with Share 2
    };
    std::vector<MemberRecord> members;
    for (const auto& c : kCases) {
        MemberRecord m = Member("Borrower", "L1", c.share1, c.share2, c.loan);
        m.InterestDue = c.interest;
        members.push_back(m);
    }
    const ReportRows report =
        MembersLoansRows(members, "", Rates{.daily = 0, .monthly = true}, Day("01/03/2026"));
    ASSERT_EQ(report.rows.size(), std::size(kCases) + 2);
    double total = 0;
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        EXPECT_NEAR(report.rows[i].cells[6].value, kCases[i].exposure, 1e-9) << i;
        total += kCases[i].exposure;
    }
    EXPECT_NEAR(report.rows.back().cells[4].value, total, 1e-9);
}

// Members transactions.

ReportSelection Dates(const char* from, const char* to) {
    ReportSelection s;
    s.fromDate = Day(from);
    s.toDate = Day(to);
    return s;
}

ReportSelection MemberRange(int from, int to) {
    ReportSelection s;
    s.fromMember = from;
    s.toMember = to;
    return s;
}

// Each statement's lines by member number, header to page break, and the numbers in order.
struct Statements {
    std::vector<int> order;
    std::map<int, Lines> byMember;
};

Statements Split(const Lines& lines) {
    Statements s;
    Lines* current = nullptr;
    for (const auto& line : lines) {
        const auto at = line.find("   Member Number ");
        if (at != std::string::npos) {
            const int n = std::stoi(line.substr(at + 17));
            s.order.push_back(n);
            current = &s.byMember[n];
        }
        if (current != nullptr) current->push_back(line);
        if (line == "^") current = nullptr;
    }
    return s;
}

bool HasBroughtForward(const Lines& statement) {
    for (const auto& line : statement)
        if (line.find("Brought forward") != std::string::npos) return true;
    return false;
}

std::vector<MemberRecord> Numbered(int count) {
    std::vector<MemberRecord> members;
    for (int i = 1; i <= count; ++i) {
        MemberRecord m = Member("Member " + std::to_string(i));
        m.YearStartShare1 = 10;
        members.push_back(m);
    }
    return members;
}

TEST(MembersTransactions, StatementsWithRunningBalances) {
    MemberRecord mary = Member("Mary Major");
    mary.Address1.set("1 High Street");
    mary.Address2.set("Townsville");
    mary.YearStartShare1 = 100;
    mary.YearStartShare2 = 20;
    mary.YearStartLoan = 500;
    mary.YearStartInterestDue = 5;
    MemberRecord closed = Member("Closed*");
    closed.YearStartShare1 = 70;
    MemberRecord paul = Member("Paul Minor");
    paul.Address1.set("Flat 2");
    paul.Address5.set("Postcode ZZ1");

    const std::vector<MemberLogEntry> log = {
        Entry(3, "01/02/2026", 1, 10),       Entry(1, "15/01/2026", 1, 50),
        Entry(1, "05/02/2026", 5, 30),       Entry(2, "06/02/2026", 1, 10),
        Entry(1, "10/02/2026", 3, 100),      Entry(1, "10/02/2026", 8, 4.5),
        Entry(1, "11/02/2026", 4, 2),        Entry(1, "12/02/2026", 2, 5, "AB"),
        Entry(1, "13/02/2026", 6, 25),       Entry(1, "14/02/2026", 7, 1000),
        Entry(1, "31/03/2026", 9, 7.25),     Entry(1, "01/04/2026", 1, 1),
        Entry(3, "20/02/2026", 1, 15, "AB"),
    };
    LineCollector out;
    MembersTransactions({mary, closed, paul}, log, Dates("01/02/2026", "31/03/2026"), out.sink());
    ExpectReport(out.lines, "members_transactions.txt");
}

TEST(MembersTransactions, FirstEntryOfTheBlockBeforeTheFromDateHidesBroughtForward) {
    MemberRecord m = Member("Early");
    m.YearStartShare1 = 100;
    const ReportSelection range = Dates("01/02/2026", "28/02/2026");
    // Another member's entry decides as well as the member's own: it is the block's first.
    const std::vector<MemberLogEntry> log = {
        Entry(2, "20/01/2026", 1, 1), Entry(1, "25/01/2026", 1, 40), Entry(1, "02/02/2026", 5, 15)};
    LineCollector out;
    MembersTransactions({m, Member("Other")}, log, range, out.sink());
    const Statements s = Split(out.lines);
    ASSERT_EQ(s.order, (std::vector<int>{1, 2}));
    EXPECT_EQ(s.byMember.at(1),
              (Lines{"Early                            Member Number 1", "", "", "", "", "",
                     "02/02/2026 JAS Share 1 Withdraw           15.00      125.00", "^"}));
}

TEST(MembersTransactions, BlocksOf101StartAtTheFromMember) {
    const auto members = Numbered(150);
    const ReportSelection dates = Dates("01/02/2026", "28/02/2026");
    const std::vector<MemberLogEntry> log = {
        Entry(102, "15/01/2026", 1, 1),  // before the from date
        Entry(1, "05/02/2026", 1, 1), Entry(101, "05/02/2026", 1, 1),
        Entry(150, "05/02/2026", 1, 1)};

    // All members: blocks 1-101 and 102-150; the second block's first entry is member 102's.
    LineCollector out;
    MembersTransactions(members, log, dates, out.sink());
    Statements s = Split(out.lines);
    ASSERT_EQ(s.order.size(), 150u);
    for (int n : {1, 2, 100, 101}) EXPECT_TRUE(HasBroughtForward(s.byMember.at(n))) << n;
    for (int n : {102, 103, 150}) EXPECT_FALSE(HasBroughtForward(s.byMember.at(n))) << n;

    // From member 2: blocks 2-102 and 103-150, so member 102's entry now hides the first.
    ReportSelection from2 = dates;
    from2.fromMember = 2;
    from2.toMember = 150;
    LineCollector shifted;
    MembersTransactions(members, log, from2, shifted.sink());
    s = Split(shifted.lines);
    ASSERT_EQ(s.order.size(), 149u);
    EXPECT_EQ(s.order.front(), 2);
    for (int n : {2, 101, 102}) EXPECT_FALSE(HasBroughtForward(s.byMember.at(n))) << n;
    for (int n : {103, 150}) EXPECT_TRUE(HasBroughtForward(s.byMember.at(n))) << n;

    // The last block ends at the to member: member 150's entry is outside blocks 2-102 and
    // 103-120, and the second block has none, so it shows its balances brought forward.
    ReportSelection to120 = from2;
    to120.toMember = 120;
    LineCollector cut;
    MembersTransactions(members, {log[0], log[3]}, to120, cut.sink());
    s = Split(cut.lines);
    EXPECT_FALSE(HasBroughtForward(s.byMember.at(2)));
    EXPECT_TRUE(HasBroughtForward(s.byMember.at(103)));
}

TEST(MembersTransactions, NoEntryIsDroppedFromAFullBlock) {
    const auto members = Numbered(6);
    std::vector<MemberLogEntry> log;
    for (int i = 0; i < 20000; ++i) {
        log.push_back(Entry(5, "05/02/2026", 1, 1));
        if (i == 10000) log.push_back(Entry(6, "05/02/2026", 2, 3));
    }
    LineCollector out;
    MembersTransactions(members, log, ReportSelection{}, out.sink());
    const Statements s = Split(out.lines);
    const Lines& five = s.byMember.at(5);
    // Header, five address lines, brought forward, 20,000 entries, page break.
    ASSERT_EQ(five.size(), 20008u);
    EXPECT_EQ(five[7], "05/02/2026 JAS Share 1 Deposit             1.00       11.00");
    EXPECT_EQ(five[20006], "05/02/2026 JAS Share 1 Deposit             1.00    20010.00");
    EXPECT_EQ(s.byMember.at(6).at(7),
              "05/02/2026 JAS Share 2 Deposit             3.00        3.00");
}

TEST(MembersTransactions, MemberRange) {
    std::vector<MemberRecord> members = Numbered(15);
    members[11].Name.set("Twelve*");
    const auto order = [&](int from, int to) {
        LineCollector out;
        MembersTransactions(members, {}, MemberRange(from, to), out.sink());
        return Split(out.lines).order;
    };
    using Numbers = std::vector<int>;
    EXPECT_EQ(order(12, 0), Numbers{12});  // one member asked for is printed, closed or not
    EXPECT_EQ(order(10, 13), (Numbers{10, 11, 13}));
    EXPECT_EQ(order(13, 999), (Numbers{13, 14, 15}));  // cut to the member count
    EXPECT_EQ(order(0, 2), (Numbers{1, 2}));
    EXPECT_EQ(order(0, 0).size(), 14u);
    EXPECT_EQ(order(5, 3), Numbers{});
    EXPECT_EQ(order(16, 0), Numbers{});  // no such member
    LineCollector none;
    MembersTransactions(members, {}, MemberRange(5, 3), none.sink());
    EXPECT_TRUE(none.lines.empty());
}

TEST(MembersTransactions, AHundredThousandMembersAndAMillionEntries) {
    // Every entry of a large log is printed once, in one pass over it.
    std::vector<MemberRecord> members(100000);
    for (auto& m : members) m.Name.set("M");
    std::vector<MemberLogEntry> log(1000000);
    for (std::size_t i = 0; i < log.size(); ++i) {
        log[i].MemberNo = static_cast<std::int32_t>(i * 7919 % 100000 + 1);
        log[i].Date = Day("05/02/2026");
        log[i].TransType = 1;
        log[i].Amount = 1;
    }
    std::size_t lines = 0, entries = 0;
    MembersTransactions(members, log, ReportSelection{}, [&](std::string_view line) {
        ++lines;
        if (line.starts_with("05/02/2026")) ++entries;
    });
    EXPECT_EQ(entries, 1000000u);
    EXPECT_EQ(lines, 100000u * 8 + 1000000u);
}

// Transaction summary.

TEST(TransactionSummary, TotalsByTypeAndTheYearsResult) {
    const std::vector<MemberLogEntry> members = {
        Entry(1, "31/12/1989", 1, 1000),  // before the default from date
        Entry(1, "01/01/1990", 1, 100),  Entry(2, "05/02/2026", 1, 50),
        Entry(1, "05/02/2026", 5, 30),   Entry(1, "05/02/2026", 2, 20),
        Entry(1, "05/02/2026", 6, 5),    Entry(1, "05/02/2026", 9, 7.5),
        Entry(1, "05/02/2026", 7, 1000), Entry(1, "05/02/2026", 3, 200),
        Entry(1, "05/02/2026", 8, 12.5), Entry(1, "05/02/2026", 4, 3),
        Entry(1, "05/02/2026", 0, 999),  Entry(1, "05/02/2026", 10, 999),
    };
    const std::vector<NominalLogEntry> nominal = {
        Posted(100, "05/02/2026", 40),   Posted(119, "05/02/2026", 10),
        Posted(120, "05/02/2026", 30),   Posted(159, "05/02/2026", 20),
        Posted(99, "05/02/2026", 500),   Posted(0, "05/02/2026", 700),
        Posted(100, "31/12/1989", 1000),
    };
    LineCollector out;
    TransactionSummary(members, nominal, kDefaultFromDate, kDefaultToDate, out.sink());
    ExpectReport(out.lines, "transaction_summary.txt");
}

TEST(TransactionSummary, PeriodTextsAndLosses) {
    const auto run = [](DayNumber from, DayNumber to, const std::vector<MemberLogEntry>& m,
                        const std::vector<NominalLogEntry>& n) {
        LineCollector out;
        TransactionSummary(m, n, from, to, out.sink());
        return out.lines;
    };
    // A fee of 5 against 5 spent: nothing made is a loss of 0.00.
    Lines lines = run(Day("01/02/2026"), Day("28/02/2026"), {Entry(1, "28/02/2026", 4, 5)},
                      {Posted(120, "01/02/2026", 5), Posted(120, "01/03/2026", 99)});
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[1], "                From  01/02/2026   To  28/02/2026");
    EXPECT_EQ(lines[10], "Income                      5.00   Expenditure                    5.00");
    EXPECT_EQ(lines[11], "Loss                        0.00");

    lines = run(kDefaultFromDate, Day("28/02/2026"), {},
                {Posted(130, "02/02/2026", 25.25), Posted(110, "02/02/2026", 10)});
    EXPECT_EQ(lines[1], "                From  Year Start   To  28/02/2026");
    EXPECT_EQ(lines[11], "Loss                       15.25");

    // Only the defaults themselves are named.
    lines = run(kDefaultFromDate + 1, kDefaultToDate - 1, {}, {});
    EXPECT_EQ(lines[1], "                From  02/01/1990   To  31/12/9998");
}

TEST(MembersData, EveryMemberWithTypePhoneAndLoanNumber) {
    MemberRecord a = Member("Alice Ames", "AB");
    a.Phone.set("01234 567890");
    a.LoanNumber = 17;
    MemberRecord b = Member("Bernard Bartholomew-Smythe III", "SENIOR1");
    b.Phone.set("0044 1234 567890");
    MemberRecord c = Member("*");
    c.LoanNumber = -3;
    LineCollector out;
    MembersData({a, b, c}, out.sink());
    ExpectReport(out.lines, "members_data.txt");
}

}  // namespace
}  // namespace tessary
