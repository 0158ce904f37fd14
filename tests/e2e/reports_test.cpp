// Every report of the Reports menu end to end through tessary-script on a generated data
// folder with a posted month: prompted, shown in the viewer under its heading, printed on
// the headless printer under its title, and filed as text.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};

class ReportsMenu : public ScriptTest {
  protected:
    // A generated folder whose batch has been checked and posted: logs, balances, a run.
    void PostedFolder() {
        GenerateAndPost("--members 40 --batch 60 --seed 3 --date 08/12/2026", kToday);
    }
};

TEST_F(ReportsMenu, EveryReportIsPromptedViewedPrintedAndFiled) {
    PostedFolder();
    std::string script = "type Password tessary\nclick Next\n";
    for (const MenuReport& r : kMenuReports) {
        const std::string filed = (program / (std::string(r.item) + ".txt")).string();
        script += std::string("menu ") + r.item + "\n" + r.prompts + "expect forms TFview\n" +
                  "expect-line Memo1 0 \"" + r.heading + "\"\n" +
                  "click Print\nexpect-line printer 0 \"--- page 1\"\n" +
                  "expect-line printer 1 \"" + r.title + "\"\n" + "click BFile\nfile " + filed +
                  "\nclick Close\nexpect forms TFmain\n";
    }
    const auto run = Run(script, kToday);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    for (const MenuReport& r : kMenuReports) {
        const std::string text = Slurp(program / (std::string(r.item) + ".txt"));
        EXPECT_EQ(text.substr(0, text.find("\r\n")), r.heading) << r.item;
    }
    // The statements of the posted month balance: its trial balance totals agree.
    const std::string trial = Slurp(program / "TrialBalance1.txt");
    const auto totals = trial.rfind("Totals");
    ASSERT_NE(totals, std::string::npos);
    EXPECT_EQ(trial.substr(totals + 26, 11), trial.substr(totals + 41, 11)) << trial;
}

TEST_F(ReportsMenu, PromptsTakeTheirDefaultsAndCancelShowsNoReport) {
    PostedFolder();
    const auto run = Run(R"(
type Password tessary
click Next
menu TransactionSummary1
type E1 31/02/2026
click OK
expect-line Memo1 2 "                From  Year Start   To  Year End"
click Close
menu MembersBalances1
type E2 "  zz?  "
click OK
click Print
expect-line printer 1 "TESSARY - MEMBERS BALANCES  Type  ZZ?"
click Close
menu SystemControl1
click Cancel
expect forms TFmain
expect Lm ""
)",
                         kToday);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

TEST_F(ReportsMenu, TheFourChartedReportsSaveTheirChartsAndNoOtherOffersOne) {
    PostedFolder();
    struct Charted {
        const char* item;
        const char* prompts;
        const char* title;
    };
    const Charted charted[] = {{"DistributionofLoans1", "click OK\n", "Distribution of Loans"},
                               {"DelinquentLoans1", "", "Delinquent Loans"},
                               {"BudgetVariances1", "", "Budget Variances"},
                               {"CashFlow1", "", "Cash Flow"}};
    std::string script = "type Password tessary\nclick Next\n";
    for (const Charted& c : charted) {
        const fs::path file = program / (std::string(c.item) + ".png");
        script += std::string("menu ") + c.item + "\n" + c.prompts + "click BChart\n" +
                  "expect-line chart 0 \"" + c.title + "\"\nchart " + file.string() + "\n" +
                  "click Close\n";
    }
    script += "menu CashFlow1\nclick BChart\nchart " + (program / "CashFlow1.pdf").string() +
              "\nclick Close\nmenu TrialBalance1\nclick BChart\n";
    // Drawn offscreen whatever the environment names, or does not name, as the platform.
    const auto run =
        RunWithEnvironment({"QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY="}, script, kToday);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
#ifdef TESSARY_WITH_QT
    // The one error is the trial balance's missing button: no remarks from the drawing.
    EXPECT_EQ(run.err.substr(run.err.find(':')), ": BChart is hidden or disabled\n") << run.err;
    for (const Charted& c : charted) {
        const std::string png = Slurp(program / (std::string(c.item) + ".png"));
        EXPECT_EQ(png.substr(0, 4), "\x89PNG") << c.item;
        EXPECT_GT(png.size(), 10000u) << c.item;
    }
    EXPECT_EQ(Slurp(program / "CashFlow1.pdf").substr(0, 4), "%PDF");
#else
    EXPECT_NE(run.err.find("this build cannot draw charts"), std::string::npos) << run.err;
#endif
}

TEST_F(ReportsMenu, AReportTheDiscCouldNotHoldIsNeverShownAsWhole) {
    PostedFolder();
    const std::string script =
        "type Password tessary\nclick Next\nmenu TrialBalance1\nprint forms\n";
    long calls = 0;
    const ScriptRun clean = RunCountingOperations(script, kToday, calls);
    ASSERT_EQ(clean.status, 0) << clean.out << clean.err;
    EXPECT_EQ(clean.out, "TFview\n");
    const std::string whole = Slurp(Data("ADMWORK"));
    ASSERT_GT(whole.size(), 80u * 20);

    // A disc that fills up at each operation in turn: a work file that is not the whole
    // report always comes with the message over the viewer.
    int cut = 0, silent = 0;
    for (long at = 1; at <= calls; ++at) {
        const auto run = RunWithEnvironment(FaultAt(Fault::DiscFull, at),
                                            script + "print TFmodal.Label1\n", kToday);
        if (run.status != 0) continue;  // the sign-on itself could not go on
        if (Slurp(Data("ADMWORK")) == whole) continue;
        ++cut;
        if (run.out.find("Report not complete - the disc is full") == std::string::npos) {
            ++silent;
            ADD_FAILURE() << "operation " << at << ": " << run.out;
        }
    }
    EXPECT_GT(cut, 0);
    EXPECT_EQ(silent, 0);
}

}  // namespace
}  // namespace tessary::testing
