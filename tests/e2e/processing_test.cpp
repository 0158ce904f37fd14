// Period end, year end and dividend allocation through the Processing menu: a generated
// co-operative's year closed and its dividend paid, with the reports after each step, and
// each run under a kill or a filling disc at every one of its file operations.

#include <cmath>
#include <filesystem>

#include "core/dates.h"
#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const char* const kSignOn = "type Password tessary\nclick Next\n";
// The reminder to back up comes first: nothing has been backed up in a scripted run.
const char* const kPeriodEnd = "menu PeriodEnd1\nclick Button1\nclick OK\nprint TFmain.Lm\n";
const char* const kYearEnd = "menu YearEnd1\nclick Button1\nclick OK\nprint TFmain.Lm\n";

class Processing : public ScriptTest {
  protected:
    // A generated year: 40 members, eleven period ends behind it, period 12 open. The working
    // date is the first day the twelfth period end is allowed.
    void GeneratedYear() {
        Generate("--members 40 --batch 0 --history 400 --seed 5 --date 08/12/2026");
        const SystemRecord sys = ReadSystem();
        ASSERT_EQ(+sys.PeriodNumber, 12);
        today = {"--today", FormatDate(std::round(sys.LastPeriodEndDate) + 15)};
        // Any update open brings the safety copy up to date.
        ASSERT_EQ(Run(std::string(kSignOn) + "menu SetUp1\nclick Close\n", today).status, 0);
    }
    ScriptRun Script(const std::string& body) { return Run(std::string(kSignOn) + body, today); }
    // Files the trial balance and checks that its debits and credits agree.
    void ExpectTrialBalanceAgrees(const std::string& when) {
        const fs::path filed = program / ("trial-" + when + ".txt");
        const auto run = Script("menu TrialBalance1\nexpect forms TFview\nclick BFile\nfile " +
                                filed.string() + "\nclick Close\n");
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        const std::string trial = Slurp(filed);
        const auto totals = trial.rfind("Totals");
        ASSERT_NE(totals, std::string::npos) << when;
        EXPECT_EQ(trial.substr(totals + 26, 11), trial.substr(totals + 41, 11)) << when << "\n"
                                                                                << trial;
    }
    std::uint64_t Size(const char* file) { return fs::file_size(Data(file)); }

    std::vector<std::string> today;
};

bool Says(const ScriptRun& run, const char* text) {
    return run.out.find(text) != std::string::npos;
}

TEST_F(Processing, AGeneratedCooperativeClosesItsYearAndPaysItsDividend) {
    GeneratedYear();
    ExpectTrialBalanceAgrees("before");
    // The day before, the 14th after the eleventh period end, is too soon.
    const double last = std::round(ReadSystem().LastPeriodEndDate);
    auto early = Run(std::string(kSignOn) +
                         "menu PeriodEnd1\nclick Button1\nexpect Lm \"Period end processing too "
                         "soon after the previous period end\"\nexpect forms TFmain\n",
                     {"--today", FormatDate(last + 14)});
    ASSERT_EQ(early.status, 0) << early.out << early.err;
    EXPECT_EQ(ReadSystem().PeriodNumber, 12);

    auto run = Script(R"(menu PeriodEnd1
expect-line forms 1 TFmodal
expect Label1 "Reminder - Backup data first"
click Button1
expect Lm "Do Period End Processing for Month 12 ?"
click OK
expect Lm "Period End Processing Finished"
menu PeriodEnd1
click Button1
expect Lm "Only 12 periods in the year"
)");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    SystemRecord sys = ReadSystem();
    EXPECT_EQ(+sys.PeriodNumber, 13);
    const auto syslog = ReadRecords<SyslogRecord>(Data("syslog.d32"));
    ASSERT_FALSE(syslog.empty());
    EXPECT_EQ(syslog.back().Description.str(), "Process Month 12");
    ExpectTrialBalanceAgrees("period-end");

    // Cancel at the question changes nothing.
    const std::string nominal = Slurp(Data("nomacc.d32"));
    run = Script("menu YearEnd1\nclick Button1\nclick Cancel\nprint TFmain.Lm\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadSystem().PeriodNumber, 13);
    EXPECT_EQ(Slurp(Data("nomacc.d32")), nominal);

    run = Script(R"(menu YearEnd1
click Button1
expect Lm "Make sure that you have printed all reports for this year"
click OK
expect Lm "Year End Processing Finished"
menu YearEnd1
click Button1
expect Lm "Year end process only permitted after period 12"
)");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    sys = ReadSystem();
    EXPECT_EQ(+sys.PeriodNumber, 1);
    EXPECT_EQ(+sys.ConsistencyTotal, 0);
    for (const char* log : {"memlog.d32", "nomlog.d32", "syslog.d32"}) EXPECT_EQ(Size(log), 0u);
    for (const auto& a : ReadRecords<NominalAccountRecord>(Data("nomacc.d32"))) {
        EXPECT_EQ(+a.YearStartBalance, +a.Balance);
        EXPECT_EQ(+a.PeriodStartBalance, +a.Balance);
    }
    double sums = 0;
    for (const auto& m : ReadRecords<MemberRecord>(Data("memacc.d32"))) {
        EXPECT_EQ(+m.Share1Sum, 0);
        EXPECT_EQ(+m.YearStartShare1, +m.Share1);
        sums += m.Share1SumLastYear;
    }
    EXPECT_GT(sums, 0);
    ExpectTrialBalanceAgrees("year-end");

    const double earnings = ReadRecords<NominalAccountRecord>(Data("nomacc.d32")).at(80).Balance;
    run = Script(R"(menu DividendAllocation1
click Button1
expect forms TFdividend
type Edit1 ZZZ
click Button2
expect Label3 "No Dividends have been Earned"
type Edit1 ""
type Edit2 100000
click Button3
expect Label3 "Dividend exceeds undivided earnings ?"
type Edit2 0.5
click Button3
expect forms TFview
expect-line Memo1 0 "   No Name                      Avg Shares    Dividend  Share1 now"
click Close
expect forms TFmain
)");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const auto nomlog = ReadRecords<NominalLogEntry>(Data("nomlog.d32"));
    ASSERT_EQ(nomlog.size(), 2u);
    EXPECT_EQ(+nomlog[0].AccountNo, 80);
    EXPECT_EQ(+nomlog[1].AccountNo, 0);
    EXPECT_EQ(+nomlog[0].Amount, -+nomlog[1].Amount);
    EXPECT_GT(+nomlog[1].Amount, 0);
    const auto accounts = ReadRecords<NominalAccountRecord>(Data("nomacc.d32"));
    EXPECT_NEAR(+accounts.at(80).Balance, earnings - +nomlog[1].Amount, 0.001);
    EXPECT_NEAR(+nomlog[1].Amount, sums * 0.5 / 1200, 0.01 * 40);
    const auto memlog = ReadRecords<MemberLogEntry>(Data("memlog.d32"));
    ASSERT_FALSE(memlog.empty());
    for (const auto& e : memlog) EXPECT_EQ(+e.TransType, 9);
    EXPECT_EQ(ReadRecords<SyslogRecord>(Data("syslog.d32")).at(0).Description.str(),
              "Allocate Dividends");
    ExpectTrialBalanceAgrees("dividend");
}

TEST_F(Processing, TwelvePeriodEndsAMonthApartThenTheYearEnd) {
    // A new co-operative with members and no history, closed month by month for a year.
    Generate("--members 25 --batch 0 --seed 9 --date 08/12/2026");
    const double start = ParseDate("08/01/2027", std::chrono::year{2026});
    for (int month = 1; month <= 12; ++month) {
        today = {"--today", FormatDate(start + 30 * (month - 1))};
        const auto run = Script(std::string(kPeriodEnd));
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_TRUE(Says(run, "Period End Processing Finished")) << month << ": " << run.out;
        EXPECT_EQ(ReadSystem().PeriodNumber, month + 1);
        ExpectTrialBalanceAgrees("month-" + std::to_string(month));
    }
    const auto syslog = ReadRecords<SyslogRecord>(Data("syslog.d32"));
    ASSERT_EQ(syslog.size(), 12u);
    EXPECT_EQ(syslog.front().Description.str(), "Process Month 1");
    EXPECT_EQ(syslog.back().Description.str(), "Process Month 12");
    // A thirteenth, a month later, is refused; the year end then closes the year.
    today = {"--today", FormatDate(start + 30 * 12)};
    auto run = Script("menu PeriodEnd1\nclick Button1\nprint TFmain.Lm\n");
    EXPECT_TRUE(Says(run, "Only 12 periods in the year")) << run.out;
    EXPECT_EQ(ReadSystem().PeriodNumber, 13);
    run = Script(std::string(kYearEnd));
    EXPECT_TRUE(Says(run, "Year End Processing Finished")) << run.out;
    EXPECT_EQ(ReadSystem().PeriodNumber, 1);
    for (const char* log : {"memlog.d32", "nomlog.d32", "syslog.d32"}) EXPECT_EQ(Size(log), 0u);
    ExpectTrialBalanceAgrees("new-year");
}

TEST_F(Processing, PeriodEndUnderAKillOrAFillingDisc) {
    GeneratedYear();
    for (Fault fault : {Fault::Kill, Fault::DiscFull}) {
        const auto f = ExpectUpdateSurvivesFaults(
            std::string(kSignOn) + kPeriodEnd, "", today, fault,
            [](const ScriptRun& r) { return Says(r, "Period End Processing Finished"); });
        EXPECT_GT(f.committed, 0);
        EXPECT_GT(f.restored + f.untouched, 0);
    }
}

TEST_F(Processing, YearEndUnderAKillOrAFillingDisc) {
    GeneratedYear();
    ASSERT_EQ(Script(kPeriodEnd).status, 0);
    ASSERT_EQ(ReadSystem().PeriodNumber, 13);
    for (Fault fault : {Fault::Kill, Fault::DiscFull}) {
        const auto f = ExpectUpdateSurvivesFaults(
            std::string(kSignOn) + kYearEnd, "", today, fault,
            [](const ScriptRun& r) { return Says(r, "Year End Processing Finished"); });
        EXPECT_GT(f.committed, 0);
        EXPECT_GT(f.restored + f.untouched, 0);
    }

    // A year end over empty logs changes no log size and stores the same total of 0: only its
    // run mark tells one cut short from one finished.
    ASSERT_EQ(Script(kYearEnd).status, 0);
    SystemRecord sys = ReadSystem();
    ASSERT_EQ(sys.ConsistencyTotal, 0);
    sys.PeriodNumber = 13;
    WriteSystem(sys);
    WriteSystem(sys, "CU1/Backup");
    const auto f = ExpectUpdateSurvivesFaults(std::string(kSignOn) + kYearEnd, "", today,
                                              Fault::Kill, nullptr);
    EXPECT_GT(f.restored, 0);
    EXPECT_GT(f.committed, 0);
}

TEST_F(Processing, DividendAllocationUnderAKillOrAFillingDisc) {
    GeneratedYear();
    ASSERT_EQ(Script(kPeriodEnd).status, 0);
    ASSERT_EQ(Script(kYearEnd).status, 0);
    ASSERT_EQ(ReadSystem().PeriodNumber, 1);
    const std::string allocate =
        std::string(kSignOn) +
        "menu DividendAllocation1\nclick Button1\ntype Edit2 0.5\n"
        "click Button3\nprint forms\nprint TFmain.Lm\nprint TFdividend.Label3\n"
        "print TFmodal.Label1\n";
    for (Fault fault : {Fault::Kill, Fault::DiscFull}) {
        // The report cannot be made again: whenever the allocation is in the data, the work
        // file holds every line of it, and a safety copy that failed is told over it.
        std::string whole;
        int uncopied = 0;
        const auto report = [&](const SweptRun& r) {
            const std::string work = Slurp(Data("ADMWORK"));
            if (r.at == 0) whole = work;
            if (r.done) {
                EXPECT_EQ(work, whole) << "a short report after call " << r.at;
            }
            if (r.done && !r.copied && Says(r.run, "TFview")) {
                ++uncopied;
                EXPECT_TRUE(Says(r.run, "Dividend allocation done, but the safety copy failed"))
                    << "call " << r.at << ": " << r.run.out;
            }
        };
        const auto f = ExpectUpdateSurvivesFaults(
            allocate, "", today, fault, [](const ScriptRun& r) { return Says(r, "TFview"); },
            report);
        EXPECT_GT(whole.size(), 20u * 81);  // lines of 81 bytes
        EXPECT_GT(f.committed, 0);
        EXPECT_GT(f.restored + f.untouched, 0);
        if (fault == Fault::DiscFull) {
            EXPECT_GT(uncopied, 0);
        }
    }
}

}  // namespace
}  // namespace tessary::testing
