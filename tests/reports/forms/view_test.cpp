// The report viewer driven in-process: paging, printing through the recording printer and
// filing through the scripted save dialog.

#include "reports/forms/view.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

#include "core/fixture.h"
#include "core/forms/mainform.h"
#include "core/forms/modal.h"
#include "core/forms/start.h"
#include "core/protocol.h"
#include "reports/damage.h"
#include "reports/forms/commands.h"
#include "reports/writer.h"
#include "ui/headless.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines Numbered(int from, int to) {
    Lines lines;
    for (int i = from; i <= to; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}

// The lines a user sees above a report, written out in full: a fault in the heading code
// cannot also be in these.
const std::string kMembersBalances =
    "Member                             Share1      Share2        Loan  Unattached";
const std::string kMembersTransactions =
    "Date       Usr Type                      Amount      Shares        Loan";
const std::string kAccountsList = "A/c  Name                        Year Budget";
const std::string kNominalTransactions =
    "Date       Usr A/c Narrative                           Amount     Balance";
const std::string kSystemControl = "Date       Usr Narrative                           Amount";
// The page header line of the new data folder's union, user ADM, 8 December 2026, page 1 to 9.
std::string Header(int page) {
    return "New Credit Union                           User ADM  08/12/2026   Page     " +
           std::to_string(page);
}

// What the memo should show: the heading, then the lines, then blanks.
Lines Screen(const std::string& heading, Lines body) {
    body.insert(body.begin(), heading);
    body.resize(TFview::kMemoLines);
    return body;
}
// Adds what one printed page should hold.
void Paper(Lines& out, const std::string& title, const std::string& heading, int page,
           const Lines& body) {
    out.insert(out.end(), {"--- page " + std::to_string(page), title, Header(page), heading});
    out.insert(out.end(), body.begin(), body.end());
}

class ReportViewTest : public testing::ProgramFolderTest {
  protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        app = std::make_unique<App>(ui, program.string());
        app->Start({});
        app->start().Password.text = "TESSARY";
        ui.Click(app->start().Next);
        ASSERT_EQ(ui.ActiveForm(), &app->main());
        // The save dialog is answered with `answer` as soon as it opens.
        backend.SetStepper([this] {
            if (!services.DialogOpen()) return false;
            services.AnswerDialog(answer);
            return true;
        });
    }
    void TearDown() override {
        app.reset();
        ProgramFolderTest::TearDown();
    }

    TFview& View(const Lines& lines, int number) {
        BeginReport(app->state);
        for (const auto& l : lines) AppendReportLine(app->state, l);
        app->state.CommandCode = 300 + number;
        ShowReport(*app);
        return ReportViewer(*app);
    }
    std::string FileText(const fs::path& p) const {
        const auto bytes = testing::ReadBytes(p);
        return std::string(bytes.begin(), bytes.end());
    }

    ui::HeadlessBackend backend;
    ui::ScriptServices services{backend, std::chrono::year{2026} / 12 / 8};
    ui::Ui ui{backend, services};
    std::unique_ptr<App> app;
    std::optional<std::string> answer;
};

TEST_F(ReportViewTest, ExactlyFullPageThenHeadingAloneThenNothing) {
    TFview& v = View(Numbered(1, 26), 3);
    EXPECT_FALSE(app->main().visible);
    EXPECT_EQ(ui.ActiveForm(), &v);
    EXPECT_EQ(v.Memo1.lines, Screen(kMembersTransactions, Numbered(1, 26)));
    ui.Click(v.Next);
    EXPECT_EQ(v.Memo1.lines, Screen(kMembersTransactions, {}));
    ui.Click(v.Next);
    EXPECT_EQ(v.Memo1.lines, Screen(kMembersTransactions, {}));
    ui.Click(v.Previous);  // one step back: the second Next did not move on
    EXPECT_EQ(v.Memo1.lines, Screen(kMembersTransactions, Numbered(1, 26)));
}

TEST_F(ReportViewTest, OneLineOverAPageAndPreviousAtTheStart) {
    TFview& v = View(Numbered(1, 27), 5);
    ui.Click(v.Previous);
    ui.Click(v.Previous);
    EXPECT_EQ(v.Memo1.lines, Screen(kNominalTransactions, Numbered(1, 26)));
    ui.Click(v.Next);
    EXPECT_EQ(v.Memo1.lines, Screen(kNominalTransactions, {"line 27"}));
    ui.Click(v.Next);
    ui.Click(v.Previous);
    EXPECT_EQ(v.Memo1.lines, Screen(kNominalTransactions, Numbered(1, 26)));
}

TEST_F(ReportViewTest, BreaksShowBlankAndHeadinglessReportsShowAnEmptyFirstLine) {
    TFview& v = View({"a", "^", "^x", "", "b"}, 12);
    EXPECT_EQ(v.Memo1.lines, Screen("", {"a", "", "", "", "b"}));
}

TEST_F(ReportViewTest, CloseGivesBackTheMainWindowAndTheNextReportShowsFresh) {
    TFview& v = View(Numbered(1, 40), 4);
    ui.Click(v.Next);
    app->main().EnableMenus(false);
    app->main().Lm.caption = "left over";
    ui.Click(v.Close);
    EXPECT_FALSE(v.visible);
    EXPECT_EQ(ui.ActiveForm(), &app->main());
    EXPECT_TRUE(app->main().menu->Usable(*app->main().menu->Find("TrialBalance1")));
    EXPECT_EQ(app->main().Lm.caption, "");
    EXPECT_EQ(View({"other"}, 4).Memo1.lines, Screen(kAccountsList, {"other"}));
}

TEST_F(ReportViewTest, PrintingBreaksPagesOnMarkersButNeverLeavesAnEmptyPage) {
    app->state.ReportTypePattern = "A?";
    TFview& v = View({"a", "^", "^", std::string(80, 'w'), "^"}, 1);
    ui.Click(v.Print);
    Lines want;
    Paper(want, "TESSARY - MEMBERS BALANCES  Type  A?", kMembersBalances, 1, {"a"});
    Paper(want, "TESSARY - MEMBERS BALANCES  Type  A?", kMembersBalances, 2,
          {std::string(80, 'w')});
    EXPECT_EQ(services.printer.Lines(), want);

    View({}, 12);  // an empty report: one page, header only, empty heading
    PrintReport(*app, 12);
    want.clear();
    Paper(want, "TESSARY - INSURANCE REPORT", "", 1, {});
    EXPECT_EQ(services.printer.Lines(), want);
}

TEST_F(ReportViewTest, EachReportNumberPrintsItsOwnTitleAndHeading) {
    // Every number from -1 to 30, and 300, printed empty with a member type pattern chosen
    // (which only the member reports show); a number without a title or heading prints
    // neither and is left out below. The posting report's heading ends in blanks.
    app->state.ReportTypePattern = "AB";
    std::string tops;
    for (int n = -1; n <= 31; ++n) {
        const int number = n == 31 ? 300 : n;
        View({}, number);
        PrintReport(*app, number);
        const Lines page = services.printer.Lines();
        ASSERT_EQ(page.size(), 4u) << number;
        EXPECT_EQ(page[2], Header(1)) << number;
        if (page[1].empty() && page[3].empty()) continue;
        tops += "--- " + std::to_string(number) + "\n" + page[1] + "\n" + page[3] + "\n";
    }
    EXPECT_EQ(tops, R"(--- 1
TESSARY - MEMBERS BALANCES  Type  AB
Member                             Share1      Share2        Loan  Unattached
--- 2
TESSARY - MEMBERS LOANS  Type  AB
Member                   Missing     Arrears        Loan Interest    Exposure
--- 3
TESSARY - MEMBERS TRANSACTIONS
Date       Usr Type                      Amount      Shares        Loan
--- 4
TESSARY - NOMINAL ACCOUNTS LIST
A/c  Name                        Year Budget
--- 5
TESSARY - NOMINAL ACCOUNTS TRANSACTIONS
Date       Usr A/c Narrative                           Amount     Balance
--- 6
TESSARY - BUDGET VARIANCES REPORT
A/c Name                         Balance      Budget  Variance % Amount Left
--- 7
TESSARY - TRIAL BALANCE REPORT
Account                         Debit         Credit
--- 8
TESSARY - PROFIT & LOSS REPORT
Account                         Period          Year
--- 9
TESSARY - BALANCE SHEET
Account                         Debit         Credit
--- 10
TESSARY - DISTRIBUTION OF LOANS
Loans Granted           No        Total
--- 11
TESSARY - DELINQUENT LOANS
Delinquency               No     Arrears Loans Value Net Liability
--- 12
TESSARY - INSURANCE REPORT

--- 13
TESSARY - SYSTEM CONTROL REPORT
Date       Usr Narrative                           Amount
--- 14
TESSARY - CASH FLOW REPORT
Account                         Period          Year
--- 15
TESSARY - TRANSACTION SUMMARY

--- 16
TESSARY - MEMBERS DATA
Member                               Type       Phone            Loan Number
--- 20
TESSARY - DIVIDEND ALLOCATION REPORT
   No Name                      Avg Shares    Dividend  Share1 now
--- 21
TESSARY - TRANSACTION ERRORS REPORT

--- 22
TESSARY - MEMBERS POSTING REPORT
   No Name                           Type                 Amount  Date      
--- 23
TESSARY - MEMBERS TRANSACTIONS LIST
   No Name                     Type                 Amount Date       Errors
--- 24
TESSARY - NOMINAL TRANSACTIONS LIST
A/c Name                  No Narrative                           Amount
)");
}

TEST_F(ReportViewTest, LongReportBreaksAtThePageLimitAndTheViewerGoesBackToTheStart) {
    TFview& v = View(Numbered(1, 120), 13);
    ui.Click(v.Next);
    ui.Click(v.Print);
    EXPECT_EQ(v.Memo1.lines, Screen(kSystemControl, Numbered(1, 26)));
    // The recording printer gives 12 points a line height of 57 dots, so the page limit is
    // 3508 - 2 * 57 = 3394 and the body starts at 5 * 57 = 285: 55 lines fit (the last at
    // 285 + 54 * 57 = 3363), the 56th would stand at 3420.
    Lines want;
    Paper(want, "TESSARY - SYSTEM CONTROL REPORT", kSystemControl, 1, Numbered(1, 55));
    Paper(want, "TESSARY - SYSTEM CONTROL REPORT", kSystemControl, 2, Numbered(56, 110));
    Paper(want, "TESSARY - SYSTEM CONTROL REPORT", kSystemControl, 3, Numbered(111, 120));
    EXPECT_EQ(services.printer.Lines(), want);
}

TEST_F(ReportViewTest, FilingWritesHeadingLinesAndFormFeeds) {
    fs::create_directories(program / "out");
    testing::WriteBytes(program / "out" / "r.txt", std::vector<unsigned char>(2000, 'q'));
    answer = (program / "out" / "r").string();  // the dialog adds ".txt"
    TFview& v = View({"a", "^", "", "^x", "caf\xE9", std::string(80, 'z')}, 3);
    ui.Click(v.BFile);
    EXPECT_EQ(
        FileText(program / "out" / "r.txt"),
        kMembersTransactions + "\r\na\r\n\f\r\n^x\r\ncaf\xE9\r\n" + std::string(80, 'z') + "\r\n");
    EXPECT_EQ(app->state.LastFiledReport, (program / "out" / "r.txt").string());

    answer = (program / "out" / "h.txt").string();
    SaveReport(*app, 15);
    EXPECT_EQ(FileText(*answer).substr(0, 5), "\r\na\r\n");

    answer.reset();  // cancelled: nothing written, the last name kept
    ui.Click(v.BFile);
    EXPECT_EQ(app->state.LastFiledReport, (program / "out" / "h.txt").string());
}

TEST_F(ReportViewTest, FilingFailureIsToldAndTheViewerStays) {
    TFview& v = View(Numbered(1, 30), 3);
    ui.Click(v.Next);
    answer = (program / "missing" / "r.txt").string();
    ui.Click(v.BFile);
    EXPECT_EQ(app->modal().Label1.caption, "Report not filed - Path not found");
    EXPECT_EQ(ui.ActiveForm(), &v);
    EXPECT_EQ(v.Memo1.lines,
              Screen(kMembersTransactions, Numbered(27, 30)));  // still on the page it was

    fs::create_directories(program / "d.txt");
    answer = (program / "d.txt").string();
    ui.Click(v.BFile);
    EXPECT_EQ(app->modal().Label1.caption, "Report not filed - File access denied");
    EXPECT_TRUE(v.visible);
    EXPECT_FALSE(fs::exists(program / "d.txt.tmp"));  // nothing left beside it
}

TEST_F(ReportViewTest, AFilingThatFailsPartWayLeavesTheEarlierFileWhole) {
    const std::string before = "the report filed before\r\n";
    testing::WriteBytes(program / "r.txt",
                        std::vector<unsigned char>(before.begin(), before.end()));
    TFview& v = View(Numbered(1, 30), 3);
    answer = (program / "r.txt").string();
    {
        // Files may grow to 100 bytes only, so the save fails after it has begun to write.
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 100;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        ui.Click(v.BFile);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    EXPECT_EQ(app->modal().Label1.caption, "Report not filed - I/O error " + std::to_string(EFBIG));
    EXPECT_EQ(FileText(program / "r.txt"), before);
    EXPECT_FALSE(fs::exists(program / "r.txt.tmp"));
    EXPECT_TRUE(v.visible);

    ui.Click(v.BFile);  // with room again the same name is filed whole
    EXPECT_EQ(FileText(program / "r.txt").substr(0, kMembersTransactions.size() + 10),
              kMembersTransactions + "\r\nline 1\r\n");
}

TEST_F(ReportViewTest, ChartButtonOnlyForAReportWithAChart) {
    const auto run = [this](int code) -> TFview& {
        app->state.CommandCode = code;
        ReportCommand(*app);
        return ReportViewer(*app);
    };
    TFview& v = run(kCmdReportCashFlow);
    ASSERT_TRUE(v.BChart.visible);
    EXPECT_TRUE(ui.Click(v.BChart));
    ASSERT_TRUE(services.shownChart);
    EXPECT_EQ(services.shownChart->title, "Cash Flow");
    // The chart is of the figures the report printed: a new ledger's cash flow is nothing.
    EXPECT_EQ(services.shownChart->categories, (std::vector<std::string>{"CASH FLOW"}));
    ui.Click(v.Close);

    // Another report, from the menu or from a posting, shows without one.
    run(kCmdReportTrialBalance);
    EXPECT_FALSE(v.BChart.visible);
    EXPECT_FALSE(v.chart());
    EXPECT_FALSE(ui.Click(v.BChart));
    ui.Click(v.Close);
    run(kCmdReportDelinquentLoans);
    EXPECT_TRUE(v.BChart.visible);
    EXPECT_EQ(v.chart()->title, "Delinquent Loans");
    View({"posted"}, 22);
    EXPECT_FALSE(v.BChart.visible);
}

TEST_F(ReportViewTest, DamagedRecordsAreNamedAndToldOnceARun) {
    MemberRecord members[2];
    members[0].Share1 = 2345.67;
    members[1].Share1 = std::numeric_limits<double>::quiet_NaN();
    members[1].LoanBalance = std::numeric_limits<double>::infinity();
    std::vector<unsigned char> bytes(sizeof members);
    std::memcpy(bytes.data(), members, sizeof members);
    testing::WriteBytes(app->state.DataFolder + DataFileName(DataFile::MemAcc), bytes);
    // The message form is acknowledged as it comes, and counted.
    int told = 0;
    backend.SetStepper([this, &told] {
        if (!app->modal().visible) return false;
        ++told;
        EXPECT_EQ(app->modal().Label1.caption, kMsgDamagedRecords);
        ui.Click(app->modal().Button1);
        return true;
    });
    const auto run = [this](int code) -> const Lines& {
        app->state.CommandCode = code;
        ReportCommand(*app);
        TFview& v = ReportViewer(*app);
        ui.Click(v.Close);
        return v.Memo1.lines;
    };
    const Lines& shown = run(kCmdReportInsurance);
    EXPECT_EQ(told, 1);
    // Savings of 2345.67 counted; the damaged share and loan left out and named.
    EXPECT_EQ(shown[10],
              "Total Savings                                                      2345.67");
    EXPECT_EQ(
        Lines(shown.begin() + 12, shown.begin() + 16),
        (Lines{"", "Damaged record: member 2, Share1", "Damaged record: member 2, LoanBalance",
               "Damaged amounts show as DAMAGED and are left out of every total."}));
    // A report showing no amount of a member has nothing to tell; a sound ledger neither.
    run(kCmdReportMembersData);
    run(kCmdReportTrialBalance);
    EXPECT_EQ(told, 1);
}

}  // namespace
}  // namespace tessary
