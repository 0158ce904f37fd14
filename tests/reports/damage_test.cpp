// Damaged records (amounts or dates that are no number): each report shows a marker in the
// cell, keeps the value out of its totals and balances, and the report ends naming the record.

#include "reports/damage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "members/loan.h"
#include "reports/ledger.h"
#include "reports/ledgers.h"
#include "reports/members.h"
#include "reports/portfolio.h"

namespace tessary {
namespace {

using testing::Day;
using testing::LedgerAccount;
using Lines = std::vector<std::string>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Lines Report(const std::function<void(const LineSink&)>& report) {
    LineCollector c;
    report(c.sink());
    return c.lines;
}

MemberRecord Saver(const char* name, double share1, double share2 = 0, double loan = 0) {
    MemberRecord m;
    m.Name.set(name);
    m.Share1 = share1;
    m.Share2 = share2;
    m.LoanBalance = loan;
    return m;
}

MemberLogEntry Entry(int type, double amount) {
    MemberLogEntry e;
    e.MemberNo = 1;
    e.TransType = type;
    e.Amount = amount;
    e.Date = Day("05/03/2026");
    e.UserCode.set("ADM");
    return e;
}

TEST(DamagedRecords, MarkedInTheirCellsAndLeftOutOfTotals) {
    const std::vector<MemberRecord> savers = {Saver("ALAN", 123.45, 10.01),
                                              Saver("BETH", kNaN, 20.02, 55.55),
                                              Saver("CARL", 300.33, 0, kInf)};
    Ledger ledger(kNominalAccountCount);
    ledger[0] = LedgerAccount("Cash at Bank", 1234.56, 0, 0);
    ledger[20] = LedgerAccount("Office Equipment", kNaN, 0, 0);
    ledger[21] = LedgerAccount("Computers", 456.78, 0, 0);
    MemberRecord statement = Saver("DORA", 0);
    statement.YearStartShare1 = 100.10;
    const std::vector<MemberLogEntry> log = {Entry(1, 25.25), Entry(1, kNaN), Entry(5, 10.01)};
    SystemRecord sys;
    sys.MaxInsuredShares = 2000;
    const std::vector<MemberRecord> loans = {testing::Loan(250.50, "01/03/2026"),
                                             testing::Loan(kNaN, "01/04/2026"),
                                             testing::Loan(1200.12, "01/05/2026")};

    const struct {
        const char* report;
        Lines lines;
        Lines expected;  // lines the report must hold
    } cases[] = {
        {"members balances",
         Report([&](const LineSink& o) { MembersBalances(savers, "", o); }),
         {"    2 BETH                        DAMAGED       20.02       55.55     DAMAGED",
          "    3  Members        Totals       423.78       30.03       55.55      133.46"}},
        {"trial balance",
         Report([&](const LineSink& o) { TrialBalance(ledger, o); }),
         {"Office Equipment              DAMAGED",
          "Totals                        1691.34           0.00"}},
        {"distribution of loans",
         Report([&](const LineSink& o) { DistributionOfLoans(loans, kDefaultFromDate, o); }),
         {"         Total           2      1450.62"}},
        {"insurance",
         Report([&](const LineSink& o) {
             InsuranceReport({Saver("EVE", 2100.21), Saver("FRED", kInf)}, sys, o);
         }),
         {"Accounts exceeding     2000.00         Number     1    Balance      100.21",
          "Total Savings                                                      2100.21"}},
    };
    for (const auto& c : cases) {
        for (const std::string& line : c.expected) {
            EXPECT_NE(std::find(c.lines.begin(), c.lines.end(), line), c.lines.end())
                << c.report << " lacks: " << line;
        }
    }

    // The running balance passes over the damaged deposit: 100.10 + 25.25, then less 10.01.
    const Lines lines = Report(
        [&](const LineSink& o) { MembersTransactions({statement}, log, ReportSelection{}, o); });
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_TRUE(lines[8].ends_with("      25.25      125.35")) << lines[8];
    EXPECT_TRUE(lines[9].ends_with("    DAMAGED      125.35")) << lines[9];
    EXPECT_TRUE(lines[10].ends_with("      10.01      115.34")) << lines[10];
}

TEST(DamagedRecords, DaysOverdueOfADamagedLoanIsNoneRatherThanAnyInt) {
    const DayNumber today = Day("08/12/2026");
    MemberRecord m;
    m.LoanAmount = 1000;
    m.Repayment = 100;
    m.Frequency.set("M");
    m.LoanDate = today - 93;
    for (const double balance : {kNaN, -kInf}) {
        m.LoanBalance = balance;
        EXPECT_EQ(DaysOverdue(m, Rates{}, today), 0) << balance;
    }
}

TEST(DamagedRecords, EachDamagedFieldIsNamedAtTheEndOfTheReport) {
    std::vector<MemberRecord> members(3);
    members[1].Share1 = kNaN;
    members[1].LastPayDate = -kInf;
    std::vector<NominalAccountRecord> accounts(113);
    accounts[112].Budget = kInf;
    std::vector<MemberLogEntry> memlog(57);
    memlog[56].MemberNo = 12;
    memlog[56].Amount = kNaN;
    std::vector<NominalLogEntry> nomlog(3);
    nomlog[2].AccountNo = 124;
    nomlog[2].Date = kNaN;
    std::vector<SyslogRecord> syslog(4);
    syslog[3].Amount = -kNaN;
    SystemRecord sys;
    sys.MaxInsuredLoan = kNaN;

    std::vector<std::string> names;
    NoteDamage(members, names);
    NoteDamage(accounts, names);
    NoteDamage(memlog, names);
    NoteDamage(nomlog, names);
    NoteDamage(syslog, names);
    NoteDamage(sys, names);
    EXPECT_EQ(Report([&](const LineSink& o) { WriteDamagedRecords(names, o); }),
              (Lines{"", "Damaged record: member 2, Share1",
                     "Damaged record: member 2, LastPayDate", "Damaged record: account 112, Budget",
                     "Damaged record: member log entry 57 (member 12), Amount",
                     "Damaged record: nominal log entry 3 (account 124), Date",
                     "Damaged record: system log entry 4, Amount",
                     "Damaged record: set-up record, MaxInsuredLoan",
                     "Damaged amounts show as DAMAGED and are left out of every total."}));
    EXPECT_TRUE(Report([](const LineSink& o) { WriteDamagedRecords({}, o); }).empty());
}

}  // namespace
}  // namespace tessary
