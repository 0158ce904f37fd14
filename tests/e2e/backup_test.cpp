// Disc backup and restore through tessary-script: the prompts, the tool's parameter strings,
// the reminder that only a backup the tool reports done turns off, and a real round trip of
// the data folder through the tool with --run-programs.

#include <filesystem>
#include <fstream>
#include <map>

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};
const std::vector<std::string> kRunPrograms = {"--today", "08/12/2026", "--run-programs"};

class DiscBackup : public ScriptTest {
  protected:
    void SetUp() override {
        ScriptTest::SetUp();
        // Installed beside the program, as volume.pif is.
        fs::copy_file(fs::path(TESSARY_BIN_DIR) / "volume.pif", program / "volume.pif");
    }
    // A generated co-operative with a posted batch: logs, balances and a run in its files.
    void PostedFolder() {
        GenerateAndPost("--members 30 --batch 40 --seed 5 --date 08/12/2026", kToday);
    }
    std::map<std::string, std::string> DataFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(program / "CU1")) {
            const std::string name = e.path().filename().string();
            if (e.is_regular_file() && e.path().extension() == ".d32")
                files[name] = Slurp(e.path());
        }
        return files;
    }
    std::vector<std::string> Env(const fs::path& drive) const {
        return {"TESSARY_DRIVE_A=" + drive.string(), "QT_QPA_PLATFORM=offscreen"};
    }
    static constexpr const char* kSignOn = "type Password tessary\nclick Next\n";
    static constexpr const char* kReminderShown = R"(
menu PeriodEnd1
expect-line forms 1 TFmodal
expect Label1 "Reminder - Backup data first"
click Button1
)";
    // The unposted batch's warning, and no reminder after it.
    static constexpr const char* kNoReminder = R"(
menu PeriodEnd1
expect-line forms 1 TFmodal
expect Label1 "Warning - Unposted transactions - ADMMEM.t32"
click Button1
expect forms TFmain
)";
};

TEST_F(DiscBackup, PromptsAndParameterStringsNameTheDiscAndDrive) {
    MakeDataFolder();
    SystemRecord sys = ReadSystem();
    sys.PeriodNumber = 13;
    sys.BackupDrive = 'B';
    WriteSystem(sys);
    auto run = Run(std::string(kSignOn) + R"(
menu Backup1
expect Lm "Please use the disc for period 1 in drive B:"
click OK
print shell
expect Lm ""
)",
                   kToday);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "volume.pif\nopen\n/o B:\\CU1 CU1.zip \"/p=zip CU1 CU1\\*.d32,del\"\n");

    // A restore ends the program once the tool is started: nothing after it runs.
    run = Run(std::string(kSignOn) + R"(
menu Restore1
expect Lm "The current period is 1 - After the Restore please RERUN Tessary"
click OK
print forms
)",
              kToday);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    // Without --run-programs nothing was started: no result, no archive.
    EXPECT_FALSE(fs::exists(Data("volume.res")));
}

TEST_F(DiscBackup, AMissingToolIsToldAndARestoreWithoutItKeepsTheProgram) {
    MakeDataFolder();
    fs::remove(program / "volume.pif");
    for (const char* command : {"Backup1", "Restore1"}) {
        const auto run =
            Run(std::string(kSignOn) + "menu " + command +
                    "\nclick OK\nprint shell\nprint forms\nprint TFmain.Lm\n" + kReminderShown,
                kToday);
        EXPECT_EQ(run.status, 0) << command << run.err;
        EXPECT_EQ(run.out,
                  "TFmain\nThe archiving tool volume.pif is missing from the program folder\n")
            << command;
    }
}

TEST_F(DiscBackup, CancelledOrUnstartedOrFailedBackupsKeepTheReminder) {
    MakeDataFolder();
    // Cancelled at the disc prompt: nothing started.
    auto run =
        Run(std::string(kSignOn) + "menu Backup1\nclick Cancel\nprint shell\n" + kReminderShown,
            kToday);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "") << "no shell open after a cancel";

    // Only recorded, never run: nobody vouches for the backup.
    run = Run(std::string(kSignOn) + "menu Backup1\nclick OK\n" + kReminderShown, kToday);
    EXPECT_EQ(run.status, 0) << run.err;

    // Run, but the tool finds no disc in the drive.
    run = RunWithEnvironment(Env(program / "no-disc"),
                             std::string(kSignOn) + "menu Backup1\nclick OK\n" + kReminderShown,
                             kRunPrograms);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(Data("volume.res")).rfind("failed\nThere is no disc in drive A:", 0), 0u)
        << Slurp(Data("volume.res"));
}

TEST_F(DiscBackup, BackupThenRestoreRoundTripsTheDataFilesThroughTheTool) {
    PostedFolder();
    const fs::path drive = program / "floppy";
    fs::create_directories(drive);
    std::ofstream(Data("ADMMEM.t32")) << "unposted";
    std::ofstream(Data("ADMWORK")) << "report";
    const auto saved = DataFiles();
    ASSERT_EQ(saved.size(), 6u);
    ASSERT_FALSE(saved.at("memlog.d32").empty());

    auto run = RunWithEnvironment(
        Env(drive), std::string(kSignOn) + "menu Backup1\nclick OK\n" + kNoReminder, kRunPrograms);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "") << "the tool's words went into the script's output";
    ASSERT_TRUE(fs::exists(drive / "CU1" / "CU1.zip"));

    // The files change after the backup.
    std::ofstream(Data("memacc.d32"), std::ios::app) << "later work";
    fs::resize_file(Data("memlog.d32"), 0);
    ASSERT_NE(DataFiles(), saved);

    run = RunWithEnvironment(
        Env(drive), std::string(kSignOn) + "menu Restore1\nclick OK\nprint forms\n", kRunPrograms);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Slurp(Data("volume.res")).substr(0, 3), "ok\n") << Slurp(Data("volume.res"));
    const auto restored = DataFiles();
    for (const auto& [name, bytes] : saved) {
        ASSERT_TRUE(restored.count(name)) << name;
        EXPECT_TRUE(restored.at(name) == bytes) << name << " differs after the restore";
    }
    EXPECT_EQ(Slurp(Data("ADMMEM.t32")), "unposted");

    // The restored set opens for update: a posting run's check passes on it.
    run = Run("type Password tessary\nclick Next\nmenu SetUp1\nexpect forms TFsetup\n", kToday);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

}  // namespace
}  // namespace tessary::testing
