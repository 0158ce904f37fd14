// The main window's prompt box and rights check, driven in-process.

#include "core/forms/mainform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/program.h"
#include "core/forms/start.h"
#include "ui/headless.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program = fs::temp_directory_path() / ("tessary-mainform-" + std::to_string(::getpid()));
        fs::remove_all(program);
        fs::create_directories(program);
        for (const char* t : {"sys.d32", "nomacc.d32"}) {
            fs::copy_file(fs::path(TESSARY_BIN_DIR) / t, program / t);
        }
        app = std::make_unique<App>(ui, program.string());
        app->Start({});
        Assemble(*app);
        app->start().Password.text = "TESSARY";
        ui.Click(app->start().Next);
        ASSERT_EQ(ui.ActiveForm(), &app->main());
    }
    void TearDown() override {
        app.reset();
        fs::remove_all(program);
    }

    fs::path program;
    ui::HeadlessBackend backend;
    ui::ScriptServices services{backend, std::chrono::year{2026} / 12 / 8};
    ui::Ui ui{backend, services};
    std::unique_ptr<App> app;
};

TEST_F(MainFormTest, ClearPromptLeavesAPlainDesk) {
    TFmain& m = app->main();
    m.L1.caption = "Member number";
    m.E1.visible = true;
    m.E1.text = "12";
    m.Lm.caption = "message";
    m.L4.caption = "question";
    m.OK.visible = m.Cancel.visible = true;
    m.ClearPrompt();
    for (ui::Label* l : {&m.L1, &m.L2, &m.L3, &m.L4, &m.Lm}) EXPECT_EQ(l->caption, "") << l->name();
    for (ui::Edit* e : {&m.E1, &m.E2, &m.E3, &m.E4}) {
        EXPECT_FALSE(e->visible) << e->name();
        EXPECT_EQ(e->text, "") << e->name();
    }
    EXPECT_FALSE(m.OK.visible);
    EXPECT_FALSE(m.Cancel.visible);
}

TEST_F(MainFormTest, CancelledPromptLeavesTheEditsForTheCaller) {
    TFmain& m = app->main();
    m.Lm.caption = "Bank Balance";
    m.E1.visible = true;
    m.E1.text = "123.45";
    EXPECT_EQ(m.AskPrompt(), ui::ModalResult::Cancel);  // nobody answered
    EXPECT_EQ(m.E1.text, "123.45");
    EXPECT_FALSE(m.visible);  // the caller shows it again
    EXPECT_TRUE(m.OK.visible);
}

TEST_F(MainFormTest, DisabledMenusLeaveHelpUsable) {
    TFmain& m = app->main();
    m.EnableMenus(false);
    EXPECT_FALSE(m.menu->Usable(*m.menu->Find("InputTransactions1")));
    EXPECT_FALSE(m.menu->Usable(*m.menu->Find("ExitYes1")));
    EXPECT_TRUE(m.menu->Usable(*m.menu->Find("Help1")));
    m.EnableMenus(true);
    EXPECT_TRUE(m.menu->Usable(*m.menu->Find("SetUp1")));
}

TEST_F(MainFormTest, RightsPassWhenTheRequiredLevelIsAtLeastTheUsers) {
    TFmain& m = app->main();
    app->state.UserLevel = 3;
    EXPECT_TRUE(m.CheckRights(3));
    EXPECT_TRUE(m.CheckRights(4));
    EXPECT_EQ(m.Lm.caption, "");
    EXPECT_FALSE(m.CheckRights(2));
    EXPECT_EQ(m.Lm.caption, kMsgNotAuthorised);
    app->state.UserLevel = 0;
    EXPECT_TRUE(m.CheckRights(1));
}

TEST_F(MainFormTest, ARefusalStaysInTheMessageLineUntilThePromptIsCleared) {
    TFmain& m = app->main();
    app->state.UserLevel = 4;
    ui.ChooseMenu(*m.menu->Find("AddMembers1"));
    EXPECT_EQ(m.Lm.caption, kMsgNotAuthorised);
    ui.Hide(m);
    ui.Show(m);  // activated again
    EXPECT_EQ(m.Lm.caption, kMsgNotAuthorised);
    m.ClearPrompt();
    EXPECT_EQ(m.Lm.caption, "");
}

TEST_F(MainFormTest, ScreenWidthScalesTheSignOnTitle) {
    ui::HeadlessBackend wide(1024);
    ui::ScriptServices wideServices{wide, std::chrono::year{2026} / 12 / 8};
    ui::Ui wideUi{wide, wideServices};
    App wideApp(wideUi, program.string());
    wideApp.Start({});
    EXPECT_EQ(wideApp.start().fontSize, 13);
    EXPECT_EQ(wideApp.start().Label1.font.size, 41);  // 40.96 rounded
    EXPECT_EQ(wideApp.main().OK.left, 660);           // 516 * 1024 / 800
    EXPECT_EQ(app->start().Label1.font.size, 32);     // nothing scaled at 800
}

TEST_F(MainFormTest, EveryMenuCommandReachesItsDispatcherWithItsCode) {
    TFmain& m = app->main();
    std::string reached;
    const auto recorder = [&](const char* dispatcher) {
        return [&, dispatcher] {
            reached = std::string(dispatcher) + " " + std::to_string(app->state.CommandCode);
        };
    };
    m.MembersCommand = recorder("members");
    m.NominalCommand = recorder("nominal");
    m.ReportCommand = recorder("report");
    m.ProcessingCommand = recorder("processing");
    // Code 21 has two meanings; which dispatcher receives it tells them apart.
    const std::pair<const char*, const char*> items[] = {
        {"InputTransactions1", "members 11"},
        {"ReadTransactions1", "members 12"},
        {"TotalTransactions1", "members 13"},
        {"PostTransactions1", "members 14"},
        {"AddMembers1", "members 15"},
        {"UpdateMembers1", "members 16"},
        {"ViewMembers1", "members 17"},
        {"FindMember1", "members 18"},
        {"CreatePortabledisk", "members 19"},
        {"ExportMembersRecords1", "members 20"},
        {"ImportMembersDetails1", "members 21"},
        {"InputTransactions2", "nominal 21"},
        {"TotalTransactions2", "nominal 22"},
        {"Post2", "nominal 23"},
        {"Reconcile", "nominal 24"},
        {"MaintainAccounts1", "nominal 25"},
        {"MembersBalances1", "report 301"},
        {"MembersLoans1", "report 302"},
        {"MembersTransactions1", "report 303"},
        {"NominalAccountList1", "report 304"},
        {"NominalTransactions1", "report 305"},
        {"BudgetVariances1", "report 306"},
        {"TrialBalance1", "report 307"},
        {"ProfitandLoss1", "report 308"},
        {"BalanceSheet1", "report 309"},
        {"DistributionofLoans1", "report 310"},
        {"DelinquentLoans1", "report 311"},
        {"Insurance1", "report 312"},
        {"SystemControl1", "report 313"},
        {"CashFlow1", "report 314"},
        {"TransactionSummary1", "report 315"},
        {"MembersData1", "report 316"},
        {"PeriodEnd1", "processing 41"},
        {"YearEnd1", "processing 42"},
        {"DividendAllocation1", "processing 43"},
        {"Backup1", "processing 44"},
        {"Restore1", "processing 45"},
    };
    for (const auto& [item, expected] : items) {
        reached.clear();
        ui::MenuItem* menuItem = m.menu->Find(item);
        ASSERT_NE(menuItem, nullptr) << item;
        ui.ChooseMenu(*menuItem);
        EXPECT_EQ(reached, expected) << item;
    }
}

}  // namespace
}  // namespace tessary
