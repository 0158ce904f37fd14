// The main window through tessary-script: rights against the menu, the new-period reminder,
// the unposted-batch warnings, help, filed reports, and the file set's messages.

#include <filesystem>
#include <fstream>

#include "core/dates.h"
#include "core/file.h"
#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};

class MainWindow : public ScriptTest {
  protected:
    // A user of the given level with password "PW" in slot 2.
    void AddUser(int level) {
        MakeDataFolder();
        SystemRecord sys = ReadSystem();
        sys.UserCodes[1].set("OP");
        sys.UserPasswords[1].set("PW");
        sys.UserLevels[1] = level;
        WriteSystem(sys);
    }
    void SetLastPeriodEnd(const std::string& date) {
        SystemRecord sys = ReadSystem();
        sys.LastPeriodEndDate = ParseDate(date, std::chrono::year{2026});
        WriteSystem(sys);
    }
    // Runs one menu item after signing on as OP and returns the message line, or the name of
    // the form the command opened.
    std::string MessageAfter(const std::string& item) {
        const auto run = Run("type Password pw\nclick Next\nmenu " + item + R"(
print forms
print TFmain.Lm
)",
                             kToday);
        EXPECT_EQ(run.status, 0) << item << ": " << run.err;
        const auto lines = run.Lines();
        if (lines.size() == 2 && lines[0] == "TFmain") return lines[1];
        return lines.empty() ? "" : lines[0];
    }
};

const char* const kRefused = "Unfortunately you are not authorised to do this";

TEST_F(MainWindow, OperatorReachesEntryCheckingPostingAndReportsOnly) {
    AddUser(3);
    EXPECT_EQ(MessageAfter("InputTransactions1"), "TFmemtrans");
    EXPECT_EQ(MessageAfter("PostTransactions1"), "Please check transactions first");
    EXPECT_EQ(MessageAfter("AddMembers1"), kRefused);
    EXPECT_EQ(MessageAfter("MaintainAccounts1"), kRefused);
    EXPECT_EQ(MessageAfter("SetUp1"), kRefused);
}

TEST_F(MainWindow, AuditorReachesOnlyTheCommandsOpenToAll) {
    AddUser(4);
    EXPECT_EQ(MessageAfter("InputTransactions1"), kRefused);
    EXPECT_EQ(MessageAfter("TotalTransactions1"), kRefused);
    EXPECT_EQ(MessageAfter("ViewMembers1"), "TFmemacc");
    EXPECT_EQ(MessageAfter("FindMember1"), "TFfindno");
    EXPECT_EQ(MessageAfter("LoanCalculator1"), "TFcalculate");
    EXPECT_EQ(MessageAfter("Post2"), kRefused);
}

TEST_F(MainWindow, ProcessingChecksEachCodesOwnLevelAfterItsReminders) {
    AddUser(2);
    const auto steps = Run(R"(
type Password pw
click Next
menu YearEnd1
expect-line forms 1 TFmodal
expect Label1 "Reminder - Backup data first"
click Button1
expect Lm "Unfortunately you are not authorised to do this"
menu Backup1
expect Lm "Please use the disc for period 1 in drive A:"
click Cancel
)",
                           kToday);
    EXPECT_EQ(steps.status, 0) << steps.err;
}

TEST_F(MainWindow, ARefusedNominalCommandLeavesTheMenusUsable) {
    AddUser(3);
    const auto run = Run(R"(
type Password pw
click Next
menu InputTransactions2
expect Lm "Unfortunately you are not authorised to do this"
menu ViewMembers1
expect forms TFmemacc
)",
                         kToday);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(MainWindow, NewPeriodReminderShowsAfter30DaysAndOnlyOnce) {
    MakeDataFolder();
    SetLastPeriodEnd("08/11/2026");  // 30 days before the working date
    auto run = Run("type Password tessary\nclick Next\nprint Lm\n", kToday);
    EXPECT_EQ(run.out, "\n") << run.err;

    SetLastPeriodEnd("07/11/2026");  // 31 days
    run = Run(R"(
type Password tessary
click Next
expect Lm "NEW PERIOD - Last Period End Processing 31 days ago"
menu ViewMembers1
click Close
expect Lm ""
)",
              kToday);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(MainWindow, ExitWarnsOfEachNonEmptyBatchFile) {
    MakeDataFolder();
    std::ofstream(Data("ADMMEM.t32")) << std::string(36, '\0');
    std::ofstream(Data("JBNOM.T32")) << std::string(44, '\0');
    std::ofstream(Data("XXMEM.t32")).close();  // empty: no warning
    const auto run = Run(R"(
type Password tessary
click Next
menu ExitNo1
expect forms TFmain
menu ExitYes1
print Label1
click Button1
print Label1
click Button1
print "never reached"
)",
                         kToday);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Warning - Unposted transactions - ADMMEM.t32\n"
              "Warning - Unposted transactions - JBNOM.T32\n");
}

TEST_F(MainWindow, HelpAndEditFiledReportOpenDocuments) {
    const fs::path temp = program / "tmp";
    fs::create_directories(temp);
    const std::string script = R"(
type Password tessary
click Next
menu Help1
print shell
menu EditReport1
print shell
menu EditReport1
print shell
menu SetPrinter1
)";
    const auto run = RunWithEnvironment({"TMPDIR=" + temp.string()}, script, kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = run.Lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], (program / "tessary.html").string());
    EXPECT_EQ(lines[1], "open");
    // Nothing filed yet: an empty new document, in a folder of its own under the temporary
    // folder that no other user may enter; the same document again later in the run.
    const fs::path document = lines[3];
    EXPECT_EQ(document.filename(), "new.txt");
    EXPECT_EQ(document.parent_path().parent_path(), temp);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(document)));
    EXPECT_EQ(fs::file_size(document), 0u);
    EXPECT_EQ(fs::status(document.parent_path()).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(document).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(lines[6], lines[3]);

    // The next run makes another under a new random name, so none can be known beforehand.
    const auto next = RunWithEnvironment({"TMPDIR=" + temp.string()}, script, kToday);
    ASSERT_EQ(next.status, 0) << next.err;
    const fs::path nextDocument = next.Lines().at(3);
    EXPECT_NE(nextDocument.parent_path(), document.parent_path());
    EXPECT_EQ(nextDocument.parent_path().parent_path(), temp);
    EXPECT_EQ(nextDocument.parent_path().filename().string().find("XXXXXX"), std::string::npos);

    // With no temporary folder to make it in, the user is told and no editor is started.
    const auto failed = RunWithEnvironment({"TMPDIR=" + (program / "missing").string()},
                                           "type Password tessary\nclick Next\n"
                                           "menu EditReport1\nprint shell\nprint Lm\n",
                                           kToday);
    ASSERT_EQ(failed.status, 0) << failed.err;
    EXPECT_EQ(failed.out.rfind("No new document could be made: ", 0), 0u) << failed.out;
}

TEST_F(MainWindow, AnotherUpdaterMakesUpdateCommandsWaitButNotTheRest) {
    MakeDataFolder();
    File holder;
    ASSERT_TRUE(holder.Open(Data("sys.d32"), File::Access::ReadWrite));
    ASSERT_TRUE(holder.TryLockExclusive());
    const auto run = Run(R"(
type Password tessary
click Next
menu SetUp1
expect Lm "Required files in use"
menu AddMembers1
expect Lm "Required files in use"
menu ViewMembers1
expect forms TFmemacc
)",
                         kToday);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(MainWindow, InconsistentLogsOfferTheRestoreAndEndTheProgram) {
    MakeDataFolder();
    std::ofstream(Data("memlog.d32"), std::ios::binary) << std::string(28, 'x');
    const auto run = Run(R"(
type Password tessary
click Next
menu SetUp1
expect Lm "TS files are inconsistent"
expect L4 "Restore them from the last backup ?"
click OK
print "never reached"
)",
                         kToday);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    // There was no safety copy to restore from: the files are as they were.
    EXPECT_EQ(fs::file_size(Data("memlog.d32")), 28u);
}

}  // namespace
}  // namespace tessary::testing
