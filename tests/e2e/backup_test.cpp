// Disc backup and restore through tessary-script: the prompts, the tool's parameter strings,
// the reminder that only a backup the tool reports done turns off, and a real round trip of
// the data folder through the tool with --run-programs.

#include "processing/backup.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "core/text.h"
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
    std::map<std::string, std::string> DataFiles(const std::string& folder = "CU1") const {
        std::map<std::string, std::string> files;
        if (!fs::exists(program / folder)) return files;
        for (const auto& e : fs::directory_iterator(program / folder)) {
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

TEST_F(DiscBackup, ARestoreCutShortAnywhereEndsWholeAndNeverUndoesLaterWork) {
    PostedFolder();
    const fs::path drive = program / "floppy";
    fs::create_directories(drive);
    const std::vector<std::string> tool = {"TESSARY_DRIVE_A=" + drive.string(),
                                           "QT_QPA_PLATFORM=offscreen"};
    const std::vector<std::string> backup = SplitParameters(BackupParameters('A', "CU1"));
    const std::vector<std::string> restore = SplitParameters(RestoreParameters('A', "CU1"));
    // The check below opens set-up and closes it, which stores the generated system record in
    // the form's own way: have that done before the backup.
    const std::string open = std::string(kSignOn) + "menu SetUp1\nprint forms\nclick Close\n";
    ASSERT_EQ(Run(open, kToday).status, 0);
    ASSERT_EQ(RunProgram(tool, "volume.pif", backup).status, 0);
    const auto archived = DataFiles();
    fs::copy_file(drive / "CU1" / "CU1.zip", program / "saved.zip");
    // Work after the backup: the set the restore replaces.
    ASSERT_EQ(
        Run(std::string(kSignOn) + "menu SetUp1\ntype interest 1.25\nclick Close\n", kToday).status,
        0);
    const auto later = DataFiles();
    ASSERT_TRUE(later != archived);
    ASSERT_TRUE(DataFiles("CU1/Backup") == later);
    const fs::path saved = program / "saved";
    fs::copy(program / "CU1", saved, fs::copy_options::recursive);

    const std::string countFile = (program / "calls.txt").string();
    auto env = CountingOperations(countFile);
    env.insert(env.end(), tool.begin(), tool.end());
    ASSERT_EQ(RunProgram(env, "volume.pif", restore).status, 0);
    const long calls = std::stol(Slurp(countFile));
    ASSERT_TRUE(DataFiles() == archived);
    ASSERT_TRUE(DataFiles("CU1/Backup") == archived);

    // Each restore is cut short, then Tessary opens the data for an update and changes the
    // interest rate, then the tool backs it up: the set must be the restored one or the one
    // before, never mixed, and the change made after must survive the tool's next run.
    const std::string change =
        std::string(kSignOn) + "menu SetUp1\ntype interest 2.75\nclick Close\n";
    for (Fault fault : {Fault::Kill, Fault::FailOnce, Fault::DiscFull}) {
        const char* name = fault == Fault::Kill       ? "kill"
                           : fault == Fault::FailOnce ? "EIO"
                                                      : "ENOSPC";
        int restored = 0, untouched = 0, laterUndone = 0, mixed = 0, finishedByOpen = 0;
        for (long at = 1; at <= calls && !HasFailure(); ++at) {
            fs::remove_all(program / "CU1");
            fs::copy(saved, program / "CU1", fs::copy_options::recursive);
            fs::copy_file(program / "saved.zip", drive / "CU1" / "CU1.zip",
                          fs::copy_options::overwrite_existing);
            auto faulty = FaultAt(fault, at);
            faulty.insert(faulty.end(), tool.begin(), tool.end());
            const std::string said = RunProgram(faulty, "volume.pif", restore).out;
            const bool staged = fs::exists(Data("restore.new/COMPLETE"));

            // The next open settles it: whole, with its safety copy, nothing staged left.
            const ScriptRun next = Run(open, kToday);
            ASSERT_EQ(next.status, 0) << next.err;
            if (next.Lines().empty() || next.Lines().at(0) != "TFsetup") {
                ++mixed;
                ADD_FAILURE() << name << " at " << at << ": " << next.out;
                continue;
            }
            const auto settled = DataFiles();
            const bool isRestored = settled == archived, isBefore = settled == later;
            if (!isRestored && !isBefore) {
                std::string which;
                for (const auto& [file, bytes] : settled) {
                    which += " " + file +
                             (archived.count(file) && archived.at(file) == bytes ? "=restored"
                              : later.count(file) && later.at(file) == bytes     ? "=before"
                                                                                 : "=neither");
                }
                ADD_FAILURE() << name << " at " << at << ": a mixed set:" << which;
            }
            EXPECT_TRUE(DataFiles("CU1/Backup") == settled) << name << " at " << at;
            EXPECT_FALSE(fs::exists(Data("restore.new"))) << name << " at " << at;
            restored += isRestored;
            untouched += isBefore;
            finishedByOpen += staged && isRestored;
            if (fault != Fault::Kill) {
                // What the tool shows: a done restore says so, a failure goes to its errors.
                EXPECT_EQ(said.rfind("Restore completed", 0) == 0, isRestored)
                    << name << " at " << at << ": said done exactly when done: " << said;
            }

            // Work committed after it survives the tool's next run.
            ASSERT_EQ(Run(change, kToday).status, 0);
            ASSERT_EQ(RunProgram(tool, "volume.pif", backup).status, 0) << name << " at " << at;
            if (ReadSystem().InterestRate != 2.75) ++laterUndone;
        }
        std::cout << "restore sweep " << name << ": points " << calls << ", restored " << restored
                  << ", untouched " << untouched << ", later work undone " << laterUndone
                  << ", mixed " << mixed << ", finished by the next open " << finishedByOpen
                  << "\n";
        EXPECT_EQ(laterUndone, 0);
        EXPECT_GT(finishedByOpen, 0);
        EXPECT_GT(restored, 0);
        EXPECT_GT(untouched, 0);
    }
}

}  // namespace
}  // namespace tessary::testing
