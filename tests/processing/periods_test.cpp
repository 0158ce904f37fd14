// Period end, year end and dividend allocation on their own, with no program around them: a
// data folder set up record by record, each run, and the files read back afterwards.

#include "processing/periods.h"

#include "core/fileset.h"
#include "members/datafolder.h"
#include "processing/dividend.h"
#include "reports/members.h"

namespace tessary {
namespace {

class PeriodsEngine : public testing::DataFolderTest {
  protected:
    // Stores system record values through an update, as set-up would.
    template <typename Change>
    void SetSystem(Change change) {
        ASSERT_TRUE(OpenFileSet(state, kUpdate));
        change(state.System);
        ASSERT_TRUE(CommitUpdate(state, kUpdate).ok());
    }
    void PutNominal(int account, double balance, double yearStart = 0) {
        NominalAccountRecord a = Nominal(account);
        a.Balance = balance;
        a.YearStartBalance = yearStart;
        File f;
        ASSERT_TRUE(f.Open(Data("nomacc.d32"), File::Access::ReadWrite));
        ASSERT_TRUE(
            f.WriteAt(static_cast<std::uint64_t>(account) * sizeof a, RecordBytes(a), sizeof a));
    }
    NominalAccountRecord Nominal(int account) {
        return Records<NominalAccountRecord>("nomacc.d32").at(static_cast<std::size_t>(account));
    }
    MemberRecord Loan(double balance, double due = 0) {
        MemberRecord m;
        m.Name.set("Borrower");
        m.LoanBalance = balance;
        m.InterestDue = due;
        return m;
    }
    // The next update open accepts the set as the run left it.
    void ExpectConsistent() {
        desk.messages.clear();
        ASSERT_TRUE(OpenFileSet(state, kUpdate)) << ::testing::PrintToString(desk.messages);
        CloseFileSet(state, kUpdate);
    }
};

TEST_F(PeriodsEngine, FifteenDaysApartAndTwelvePeriodsAYear) {
    SystemRecord sys;
    sys.PeriodNumber = 5;
    sys.LastPeriodEndDate = Day("24/11/2026");
    EXPECT_EQ(PeriodEndRefusal(sys, Day("07/12/2026")), kMsgPeriodEndTooSoon);
    EXPECT_EQ(PeriodEndRefusal(sys, Day("08/12/2026")), kMsgPeriodEndTooSoon);  // the 14th day
    EXPECT_EQ(PeriodEndRefusal(sys, Day("09/12/2026")), "");                    // the 15th
    sys.PeriodNumber = 12;
    EXPECT_EQ(PeriodEndRefusal(sys, Day("09/12/2026")), "");
    sys.PeriodNumber = 13;
    EXPECT_EQ(PeriodEndRefusal(sys, Day("09/12/2026")), kMsgOnlyTwelvePeriods);
    EXPECT_EQ(YearEndRefusal(sys), "");
    for (int period : {1, 12, 14}) {
        sys.PeriodNumber = period;
        EXPECT_EQ(YearEndRefusal(sys), kMsgYearEndTooEarly) << period;
    }
}

TEST_F(PeriodsEngine, MonthlyInterestShareSumsStartBalancesAndTheLog) {
    SetSystem([&](SystemRecord& s) {
        s.InterestMethod = 1;
        s.InterestRate = 1.15;
        s.PeriodNumber = 3;
        s.LastPeriodEndDate = Day("23/11/2026");  // the 15th day before the working date
    });
    // Every figure differs from every other, so that interest charged on the wrong sum, a
    // share sum fed the wrong share, or a rounding left out or done early shows.
    struct Case {
        double loan, due, share1, share2, sum;
        double wantDue, wantSum;
    };
    const Case cases[] = {
        {1234.57, 3.21, 86.13, 10.01, 172.26, 17.41, 258.39},  // 14.197555 + 3.21, rounded once
        {333.33, 0, 0, 0, 0, 3.83, 0},                         // 3.833295
        {0.004, 1.25, 12.34, 5.55, 0, 1.25, 12.34},            // no loan to speak of
        {0, 0, 1234.57, 86.13, 2469.14, 0, 3703.71},           // a saver
    };
    int n = 0;
    for (const Case& c : cases) {
        MemberRecord m = Loan(c.loan, c.due);
        m.Share1 = c.share1;
        m.Share2 = c.share2;
        m.YearStartShare1 = 99.99;
        m.Share1Sum = c.sum;
        PutMember(++n, m);
    }
    PutNominal(103, 77.51);

    const PeriodRun run = PeriodEnd(state);
    ASSERT_TRUE(run.opened);
    EXPECT_EQ(run.refused, "");
    EXPECT_TRUE(run.outcome.ok());
    n = 0;
    for (const Case& c : cases) {
        const MemberRecord m = GetMember(++n);
        EXPECT_EQ(+m.InterestDue, c.wantDue) << c.loan;
        EXPECT_EQ(+m.Share1Sum, c.wantSum) << c.loan;
        EXPECT_EQ(+m.LoanBalance, c.loan) << c.loan;
    }
    EXPECT_EQ(Nominal(103).PeriodStartBalance, 77.51);

    const auto log = Records<SyslogRecord>("syslog.d32");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].Description.str(), "Process Month 3");
    EXPECT_EQ(+log[0].Amount, 0);
    EXPECT_EQ(+log[0].Date, Day("08/12/2026"));
    EXPECT_EQ(log[0].UserCode.str(), "ADM");
    EXPECT_EQ(state.System.PeriodNumber, 4);
    EXPECT_EQ(state.System.LastPeriodEndDate, Day("08/12/2026"));
    ExpectConsistent();
    EXPECT_EQ(state.System.PeriodNumber, 4);  // as stored
}

TEST_F(PeriodsEngine, OtherInterestMethodsLeaveInterestDueAlone) {
    SetSystem([&](SystemRecord& s) {
        s.InterestMethod = 2;
        s.InterestRate = 1.5;
        s.PeriodNumber = 1;
    });
    PutMember(1, Loan(333.33, 2.5));
    ASSERT_TRUE(PeriodEnd(state).outcome.ok());
    EXPECT_EQ(GetMember(1).InterestDue, 2.5);
    EXPECT_EQ(state.System.PeriodNumber, 2);
}

TEST_F(PeriodsEngine, TheThirteenthPeriodEndAndAnEarlyYearEndChangeNothing) {
    SetSystem([&](SystemRecord& s) { s.PeriodNumber = 13; });
    PutMember(1, Loan(100));
    const auto before = testing::ReadBytes(Data("memacc.d32"));
    PeriodRun run = PeriodEnd(state);
    EXPECT_EQ(run.refused, kMsgOnlyTwelvePeriods);
    EXPECT_EQ(testing::ReadBytes(Data("memacc.d32")), before);
    EXPECT_TRUE(Records<SyslogRecord>("syslog.d32").empty());

    SetSystem([&](SystemRecord& s) { s.PeriodNumber = 12; });
    run = YearEnd(state);
    EXPECT_EQ(run.refused, kMsgYearEndTooEarly);
    EXPECT_EQ(testing::ReadBytes(Data("memacc.d32")), before);
    EXPECT_EQ(state.System.PeriodNumber, 12);
}

TEST_F(PeriodsEngine, YearEndCarriesTheSurplusRollsTheMembersAndEmptiesTheLogs) {
    SetSystem([&](SystemRecord& s) {
        s.PeriodNumber = 12;
        s.LastPeriodEndDate = Day("01/11/2026");
        s.InterestMethod = 2;  // interest charged day by day: the twelfth leaves it alone
    });
    MemberRecord m;
    m.Share1 = 1234.57;
    m.Share2 = 86.13;
    m.LoanBalance = 987.65;
    m.InterestDue = 4.56;
    m.Share1Sum = 13580.27;
    m.Share1SumLastYear = 999.99;
    PutMember(1, m);
    ASSERT_TRUE(PeriodEnd(state).outcome.ok());  // the twelfth: logs now hold its entry
    EXPECT_EQ(state.System.PeriodNumber, 13);
    // The year's movement of each account beside a boundary of the surplus: fees (4) and
    // loan interest (8) and income (100 to 119) add, expenditure (120 to 159) takes away,
    // their neighbours do not count.
    struct Account {
        int number;
        double balance, yearStart;
    };
    const Account ledger[] = {
        {3, 111.11, 0},    {4, 86.13, 12.34},      {8, 1234.57, 234.56}, {9, 55.55, 0},
        {99, 77.77, 0},    {100, 23.45, 1.11},     {119, 40.04, 0},      {120, 90.25, 10.01},
        {159, 12.99, 0.5}, {80, 1000.01, 1000.01},
    };
    for (const Account& a : ledger) PutNominal(a.number, a.balance, a.yearStart);
    ASSERT_GT(std::filesystem::file_size(Data("syslog.d32")), 0u);

    const PeriodRun run = YearEnd(state);
    ASSERT_EQ(run.refused, "");
    EXPECT_TRUE(run.outcome.ok());
    // 73.79 + 1000.01 + 22.34 + 40.04 - 80.24 - 12.49 = 1043.45
    EXPECT_EQ(Nominal(80).Balance, 2043.46);
    for (const NominalAccountRecord& a : Records<NominalAccountRecord>("nomacc.d32")) {
        EXPECT_EQ(+a.PeriodStartBalance, +a.Balance) << a.AccountName.str();
        EXPECT_EQ(+a.YearStartBalance, +a.Balance) << a.AccountName.str();
    }
    const MemberRecord after = GetMember(1);
    EXPECT_EQ(+after.YearStartShare1, 1234.57);
    EXPECT_EQ(+after.YearStartShare2, 86.13);
    EXPECT_EQ(+after.YearStartLoan, 987.65);
    EXPECT_EQ(+after.YearStartInterestDue, 4.56);
    // Each period's sum is stored rounded: unrounded, 14814.839999999998 here.
    EXPECT_EQ(+after.Share1SumLastYear, 14814.84);
    EXPECT_EQ(+after.Share1Sum, 0);
    for (const char* log : {"memlog.d32", "nomlog.d32", "syslog.d32"}) {
        ASSERT_TRUE(std::filesystem::exists(Data(log))) << log;
        EXPECT_EQ(std::filesystem::file_size(Data(log)), 0u) << log;
    }
    EXPECT_EQ(state.System.PeriodNumber, 1);
    EXPECT_EQ(state.System.ConsistencyTotal, 0);
    EXPECT_EQ(state.System.LastPeriodEndDate, Day("08/12/2026"));  // left as the twelfth set it
    ExpectConsistent();
    EXPECT_EQ(state.System.PeriodNumber, 1);
}

class DividendEngine : public PeriodsEngine {
  protected:
    void SetUp() override {
        PeriodsEngine::SetUp();
        MemberRecord m;
        m.Name.set("Mary Murphy of the very long name indeed");
        m.MemberType.set("A");
        m.Share1 = 1234.57;
        m.Share1SumLastYear = 14814.84;
        PutMember(1, m);
        m.Name.set("John Byrne");
        m.MemberType.set("B");
        m.Share1 = 86.13;
        m.Share1SumLastYear = 333.33;
        PutMember(2, m);
        m.Name.set("Ann Kelly");
        m.MemberType.set("A");
        m.Share1SumLastYear = 0;  // counted, never paid
        PutMember(3, m);
        PutNominal(1, 5432.1);
        PutNominal(80, 123.45);
    }
};

TEST_F(DividendEngine, PaysTheYearsDividendOutOfUndividedEarnings) {
    // 14814.84 at 5.25% a year is 64.814925: paid as 64.81, to the penny and no further.
    const DividendCheck check = CheckDividend(state, TypePattern(" a "), 5.25);
    ASSERT_TRUE(check.opened);
    EXPECT_EQ(check.people, 2);
    EXPECT_EQ(check.sum, 14814.84);
    EXPECT_EQ(check.message, "People to be paid:     2  Approximate Cost:       64.81");

    const DividendRun run = AllocateDividend(state, "A", 5.25);
    ASSERT_EQ(run.refused, "");
    ASSERT_TRUE(run.outcome.ok());
    EXPECT_EQ(run.total, 64.81);
    EXPECT_EQ(run.lines, std::vector<std::string>{
                             "    1 Mary Murphy of the very      1234.57       64.81     1299.38"});
    EXPECT_EQ(GetMember(1).Share1, 1299.38);
    EXPECT_EQ(GetMember(1).Share1SumLastYear, 0);
    EXPECT_EQ(GetMember(2).Share1SumLastYear, 333.33);  // left for a run with its own rate
    EXPECT_EQ(Nominal(1).Balance, 5496.91);
    EXPECT_EQ(Nominal(80).Balance, 58.64);

    const auto memlog = Records<MemberLogEntry>("memlog.d32");
    ASSERT_EQ(memlog.size(), 1u);
    EXPECT_EQ(+memlog[0].MemberNo, 1);
    EXPECT_EQ(+memlog[0].TransType, 9);
    EXPECT_EQ(+memlog[0].Amount, 64.81);
    EXPECT_EQ(+memlog[0].Date, Day("08/12/2026"));
    const auto nomlog = Records<NominalLogEntry>("nomlog.d32");
    ASSERT_EQ(nomlog.size(), 2u);
    EXPECT_EQ(+nomlog[0].AccountNo, 80);
    EXPECT_EQ(+nomlog[0].Amount, -64.81);
    EXPECT_EQ(nomlog[0].Narrative.str(), "Dividend Allocation");
    EXPECT_EQ(+nomlog[1].AccountNo, 0);
    EXPECT_EQ(+nomlog[1].Amount, 64.81);
    EXPECT_EQ(nomlog[1].Narrative.str(), "Dividend Shares");
    for (const auto& e : nomlog) {
        EXPECT_EQ(+e.Reconciled, 1);
        EXPECT_EQ(e.UserCode.str(), "ADM");
    }
    const auto syslog = Records<SyslogRecord>("syslog.d32");
    ASSERT_EQ(syslog.size(), 1u);
    EXPECT_EQ(syslog[0].Description.str(), "Allocate Dividends");
    EXPECT_EQ(+syslog[0].Amount, 64.81);
    ExpectConsistent();

    // Each member is paid once a year: the same run again finds nothing earned.
    const DividendRun again = AllocateDividend(state, "A", 5.25);
    EXPECT_EQ(again.refused, kMsgNoDividends);
    EXPECT_EQ(Records<MemberLogEntry>("memlog.d32").size(), 1u);
}

TEST_F(DividendEngine, ARateOfNothingStillClearsTheSumsAndLogsEachMember) {
    const DividendRun run = AllocateDividend(state, "", 0);
    ASSERT_TRUE(run.outcome.ok());
    EXPECT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(run.total, 0);
    EXPECT_EQ(GetMember(1).Share1, 1234.57);
    EXPECT_EQ(GetMember(2).Share1SumLastYear, 0);
    const auto memlog = Records<MemberLogEntry>("memlog.d32");
    ASSERT_EQ(memlog.size(), 2u);
    EXPECT_EQ(+memlog[1].MemberNo, 2);
    EXPECT_EQ(+memlog[1].Amount, 0);
}

TEST_F(DividendEngine, RefusedAboveUndividedEarningsOrWithNothingEarned) {
    const auto before = testing::ReadBytes(Data("memacc.d32"));
    EXPECT_EQ(AllocateDividend(state, "A", 10).refused, kMsgDividendTooLarge);  // 123.457
    PutNominal(80, 0);
    EXPECT_EQ(AllocateDividend(state, "B", 0.01).refused, kMsgDividendTooLarge);
    EXPECT_EQ(AllocateDividend(state, "B", -5).refused, "Invalid");
    EXPECT_EQ(CheckDividend(state, "C", 5).message, kMsgNoDividends);
    EXPECT_EQ(AllocateDividend(state, "C", 5).refused, kMsgNoDividends);
    EXPECT_EQ(testing::ReadBytes(Data("memacc.d32")), before);
    EXPECT_TRUE(Records<MemberLogEntry>("memlog.d32").empty());
    EXPECT_TRUE(Records<NominalLogEntry>("nomlog.d32").empty());

    // The approximate cost, 64.814925, is held against the earnings before any rounding.
    PutNominal(80, 64.81);
    EXPECT_EQ(AllocateDividend(state, "A", 5.25).refused, kMsgDividendTooLarge);
    PutNominal(80, 64.82);
    EXPECT_TRUE(AllocateDividend(state, "A", 5.25).outcome.ok());
    EXPECT_EQ(Nominal(80).Balance, 0.01);  // unrounded, 0.010000000000005116
}

}  // namespace
}  // namespace tessary
