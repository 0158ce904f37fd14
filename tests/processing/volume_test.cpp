// The disc archiving tool's work without its window: its parameter strings, the archive of a
// data folder, and the checks that keep a bad archive or a busy folder from changing anything.

#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "core/dataset.h"
#include "core/drive.h"
#include "core/file.h"
#include "core/text.h"
#include "core/update.h"
#include "processing/backup.h"
#include "processing/volume/archive.h"

namespace tessary::volume {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void Spit(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

TEST(VolumeParameters, TheProgramsStringsSplitIntoTheToolsJobs) {
    EXPECT_EQ(BackupParameters('A', "CU1"), R"(/o A:\CU1 CU1.zip "/p=zip CU1 CU1\*.d32,del")");
    EXPECT_EQ(RestoreParameters('A', "CU1"), R"(/i A:\CU1 "/p=unzip -o CU1,del")");
    EXPECT_EQ(BackupParameters('B', "TRAINER").rfind(R"(/o B:\TRAINER TRAINER.zip )", 0), 0u);
    EXPECT_EQ(DiscPeriod(13), 1);
    EXPECT_EQ(DiscPeriod(12), 12);
    EXPECT_EQ(DiscPeriod(1), 1);

    const auto backupArgs = SplitParameters(BackupParameters('B', "CU1"));
    ASSERT_EQ(backupArgs, (std::vector<std::string>{"/o", R"(B:\CU1)", "CU1.zip",
                                                    R"(/p=zip CU1 CU1\*.d32,del)"}));
    std::string problem;
    const auto backup = ParseJob(backupArgs, problem);
    ASSERT_TRUE(backup) << problem;
    EXPECT_EQ(backup->kind, Job::Kind::Backup);
    EXPECT_EQ(backup->drive, 'B');
    EXPECT_EQ(backup->discPath, "CU1");
    EXPECT_EQ(backup->archive, "CU1.zip");
    EXPECT_EQ(backup->dataFolder, "CU1");

    const auto restore = ParseJob(SplitParameters(RestoreParameters('a', "CU2")), problem);
    ASSERT_TRUE(restore) << problem;
    EXPECT_EQ(restore->kind, Job::Kind::Restore);
    EXPECT_EQ(restore->drive, 'A');
    EXPECT_EQ(restore->archive, "CU2.zip");
    EXPECT_EQ(restore->dataFolder, "CU2");

    // Nothing but the data files, and nothing outside the working folder.
    EXPECT_FALSE(ParseJob({"/o", R"(A:\CU1)", "CU1.zip", R"(/p=zip CU1 CU1\*.*,del)"}, problem));
    EXPECT_FALSE(ParseJob({"/o", R"(A:\..)", "CU1.zip", R"(/p=zip CU1 CU1\*.d32,del)"}, problem));
    EXPECT_FALSE(ParseJob({"/i", R"(A:\CU1)", R"(/p=unzip -o ..,del)"}, problem));
    EXPECT_FALSE(ParseJob({"/x", R"(A:\CU1)"}, problem));
    EXPECT_FALSE(ParseJob({}, problem));
}

TEST(VolumeParameters, QuotesGroupAndBackslashesStayPlain) {
    EXPECT_EQ(SplitParameters(R"(  a  "b c"d \\server\x "e \"f\" g" "" )"),
              (std::vector<std::string>{"a", "b cd", R"(\\server\x)", R"(e "f" g)", ""}));
    EXPECT_EQ(SplitParameters(R"(a\\"b c")"), (std::vector<std::string>{R"(a\b c)"}));
    EXPECT_TRUE(SplitParameters("   ").empty());
}

TEST(Drives, ALetterIsItsVariablesFolderElseAMountPointNeverABareFolder) {
    const fs::path bare =
        fs::temp_directory_path() / ("tessary-drive-" + std::to_string(::getpid()));
    fs::create_directories(bare);
    ::setenv("TESSARY_DRIVE_B", bare.c_str(), 1);
    Drive b = FindDrive('b');
    EXPECT_EQ(b.letter, 'B');
    EXPECT_EQ(b.folder, bare.string());
    EXPECT_TRUE(b.available) << "a folder set by the variable is the drive as it is";
    ::setenv("TESSARY_DRIVE_B", (bare / "gone").c_str(), 1);
    EXPECT_FALSE(FindDrive('B').available);
    ::unsetenv("TESSARY_DRIVE_B");

    // Without the variable only a mount point counts: /proc is one, a plain folder is not.
    ::setenv("USER", "clerk", 1);
    b = FindDrive('B');
    EXPECT_EQ(b.folder, "/media/clerk/B");
    EXPECT_FALSE(b.available);
    EXPECT_TRUE(IsMountPoint("/proc"));
    EXPECT_TRUE(IsMountPoint("/"));
    EXPECT_FALSE(IsMountPoint(bare.string()));
    EXPECT_FALSE(IsMountPoint((bare / "gone").string()));
    fs::remove_all(bare);
}

// A set the program would open, of bytes of every value (so any change in transit shows):
// `members` member records, an empty member log (an empty log is a data file too), the ledger,
// and nominal and system logs of the given lengths, with the total that vouches for them.
std::map<std::string, std::string> MakeSet(int members, int nominalEntries, int systemEntries) {
    const auto pattern = [](std::size_t n, int seed) {
        std::string bytes;
        for (std::size_t i = 0; i < n; ++i) bytes += static_cast<char>((i * 7919 + seed) % 256);
        return bytes;
    };
    std::map<std::string, std::string> set;
    set["memacc.d32"] = pattern(members * kMemberRecordSize, 1);
    set["memlog.d32"] = "";
    set["nomacc.d32"] = pattern(9600, 2);
    set["nomlog.d32"] = pattern(nominalEntries * kNominalLogEntrySize, 3);
    set["syslog.d32"] = pattern(systemEntries * kSyslogRecordSize, 4);
    if (set["syslog.d32"].size() > kWaiverOffset) set["syslog.d32"][kWaiverOffset] = 'x';
    SystemRecord sys;
    sys.PeriodNumber = 3;
    sys.ConsistencyTotal =
        static_cast<std::int32_t>(set["nomlog.d32"].size() + set["syslog.d32"].size());
    ScrambleSystemRecord(sys);
    set["sys.d32"] = std::string(reinterpret_cast<const char*>(RecordBytes(sys)), sizeof sys);
    return set;
}

class VolumeArchive : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tessary-volume-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "CU1");
        fs::create_directories(root / "disc");
        original = MakeSet(3, 5, 2);
        for (const auto& [name, content] : original) Spit(root / "CU1" / name, content);
        Spit(root / "CU1" / "ADMMEM.t32", "batch");
        Spit(root / "CU1" / "ADMWORK", "report");
        options.workingFolder = root.string();
        options.discFolder = (root / "disc").string();
        options.lockWaitMs = 300;
    }
    void TearDown() override { fs::remove_all(root); }

    Job MakeJob(const std::vector<std::string>& args) {
        std::string problem;
        auto job = ParseJob(args, problem);
        EXPECT_TRUE(job) << problem;
        return job.value_or(Job{});
    }
    Job BackupJob() { return MakeJob(SplitParameters(BackupParameters('A', "CU1"))); }
    Job RestoreJob() { return MakeJob(SplitParameters(RestoreParameters('A', "CU1"))); }
    fs::path Archive() const { return root / "disc" / "CU1" / "CU1.zip"; }
    std::map<std::string, std::string> DataBytes() const {
        std::map<std::string, std::string> bytes;
        for (const auto& e : fs::directory_iterator(root / "CU1")) {
            if (e.is_regular_file()) bytes[e.path().filename().string()] = Slurp(e.path());
        }
        return bytes;
    }
    std::set<std::string> Members(const fs::path& archive) const {
        std::set<std::string> names;
        int error = 0;
        zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY, &error);
        if (!z) return names;
        for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
            names.insert(zip_get_name(z, static_cast<zip_uint64_t>(i), 0));
        }
        zip_discard(z);
        return names;
    }
    std::string ResultLine() const {
        std::ifstream in(root / "CU1" / kResultFile);
        std::string line;
        std::getline(in, line);
        return line;
    }

    static constexpr const char* kSet[] = {"sys.d32",    "memacc.d32", "memlog.d32",
                                           "nomacc.d32", "nomlog.d32", "syslog.d32"};
    fs::path root;
    Options options;
    std::map<std::string, std::string> original;
};

TEST_F(VolumeArchive, BackupThenRestoreRoundTripsTheDataFilesOnly) {
    const Outcome saved = volume::Run(BackupJob(), options);
    ASSERT_TRUE(saved.ok()) << saved.message;
    EXPECT_EQ(saved.files, 6);
    EXPECT_EQ(ResultLine(), "ok");
    EXPECT_EQ(Members(Archive()),
              (std::set<std::string>{"CU1/sys.d32", "CU1/memacc.d32", "CU1/memlog.d32",
                                     "CU1/nomacc.d32", "CU1/nomlog.d32", "CU1/syslog.d32"}));
    EXPECT_FALSE(fs::exists(TemporaryNameFor(Archive())));

    // Later work changes the data, a file goes missing and a batch is keyed.
    Spit(root / "CU1" / "memacc.d32", "changed since the backup");
    fs::remove(root / "CU1" / "syslog.d32");
    Spit(root / "CU1" / "ADMMEM.t32", "new batch");
    const Outcome back = volume::Run(RestoreJob(), options);
    ASSERT_TRUE(back.ok()) << back.message;
    EXPECT_EQ(ResultLine(), "ok");
    const auto now = DataBytes();
    for (const auto& [name, bytes] : original) {
        ASSERT_TRUE(now.count(name)) << name;
        EXPECT_TRUE(now.at(name) == bytes) << name << " differs after the round trip";
    }
    EXPECT_EQ(now.at("ADMMEM.t32"), "new batch");  // batches and work files are left alone
    EXPECT_EQ(now.at("ADMWORK"), "report");
    // The safety copy is the restored set too, so nothing is left to retake.
    for (const auto& [name, bytes] : original) {
        EXPECT_TRUE(Slurp(root / "CU1" / "Backup" / name) == bytes) << name << " in the copy";
    }
    EXPECT_FALSE(now.count("backup.pending"));
    EXPECT_FALSE(fs::exists(root / "CU1" / kStagingFolder));
}

TEST_F(VolumeArchive, ADamagedOrForeignArchiveReplacesNothing) {
    ASSERT_TRUE(volume::Run(BackupJob(), options).ok());
    const std::string good = Slurp(Archive());
    Spit(root / "CU1" / "memacc.d32", "work since the backup");
    const auto before = DataBytes();
    const auto expectRefused = [&](const std::string& why, const std::string& said = "") {
        const Outcome o = volume::Run(RestoreJob(), options);
        EXPECT_EQ(o.problem, Problem::Damaged) << why << ": " << o.message;
        EXPECT_NE(o.message.find(said), std::string::npos) << why << ": " << o.message;
        auto after = DataBytes();
        after.erase(kResultFile);
        auto expected = before;
        expected.erase(kResultFile);
        EXPECT_TRUE(after == expected) << why << ": data changed";
        EXPECT_EQ(ResultLine(), "failed") << why;
        EXPECT_FALSE(fs::exists(root / "CU1" / kStagingFolder)) << why;
    };

    // A byte of the last member's stored data changed: the central directory still reads,
    // only its contents fail their check.
    std::string flipped = good;
    const std::size_t lastData = good.find("PK\x01\x02") - 20;
    flipped[lastData] = static_cast<char>(flipped[lastData] ^ 0x55);
    Spit(Archive(), flipped);
    expectRefused("flipped byte");

    Spit(Archive(), good.substr(0, good.size() / 2));
    expectRefused("cut short");

    // Packed by a method this tool has no reader for (97, WavPack), in both headers.
    std::string packed = good;
    for (const auto& [signature, at] :
         {std::pair{std::string("PK\x03\x04"), 8}, std::pair{std::string("PK\x01\x02"), 10}}) {
        const std::size_t header = packed.find(signature);
        ASSERT_NE(header, std::string::npos);
        packed[header + at] = 97;
        packed[header + at + 1] = 0;
    }
    Spit(Archive(), packed);
    expectRefused("unknown compression", "by a compression method (number 97) that this tool");

    // Whole archives that are no backup of this folder.
    const auto make = [&](const std::vector<std::pair<std::string, std::string>>& members) {
        fs::remove(Archive());
        int error = 0;
        zip_t* z = zip_open(Archive().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(z, nullptr);
        for (const auto& [name, bytes] : members) {
            zip_source_t* s = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
            ASSERT_GE(zip_file_add(z, name.c_str(), s, 0), 0);
        }
        ASSERT_EQ(zip_close(z), 0);
    };
    const auto members = [](const std::map<std::string, std::string>& files,
                            const std::string& folder = "CU1") {
        std::vector<std::pair<std::string, std::string>> list;
        for (const auto& [name, bytes] : files) list.emplace_back(folder + "/" + name, bytes);
        return list;
    };
    auto escaping = members(original);
    escaping.emplace_back("CU1/../evil.d32", "x");
    make(escaping);
    expectRefused("a member outside the folder", "which is no data file of CU1");
    auto other = members(original);
    other.emplace_back("CU1/notes.txt", "x");
    make(other);
    expectRefused("a member that is no data file", "CU1/notes.txt");
    make(members(original, "CU2"));
    expectRefused("another folder's backup", "a backup of the data folder CU2, not of CU1");

    // Whole archives of files that cannot be data: each is named with what is wrong.
    struct Bad {
        const char* file;
        std::string bytes;
        const char* said;
    };
    const std::string shortLog = original["nomlog.d32"].substr(1);
    const std::vector<Bad> bad = {
        {"sys.d32", std::string(10, 's'), "sys.d32 is 10 bytes, not one system record of 348"},
        {"memacc.d32", std::string(37, 'm'), "memacc.d32 is 37 bytes, not whole member records"},
        {"memacc.d32", std::string(kMemberRecordSize + 1, 'm'), "memacc.d32 is 389 bytes"},
        {"nomlog.d32", shortLog, "nomlog.d32 is 279 bytes, not whole nominal log entries"},
        {"nomacc.d32", std::string(4000, 'n'), "nomacc.d32 is 4000 bytes, not the 160"},
        {"nomacc.d32", std::string(9660, 'n'), "nomacc.d32 is 9660 bytes"},
        {"syslog.d32", original["syslog.d32"] + std::string(kSyslogRecordSize, 'y'),
         "consistency total 384 does not match its logs' 436 bytes"},
        {"syslog.d32", "", "it has no syslog.d32"},
    };
    for (const Bad& b : bad) {
        auto files = original;
        if (b.bytes.empty()) {
            files.erase(b.file);
        } else {
            files[b.file] = b.bytes;
        }
        make(members(files));
        expectRefused(b.said, b.said);
    }
    // The same set with a total that matches again is taken.
    auto longer = original;
    longer["syslog.d32"] += std::string(kSyslogRecordSize, 'y');
    longer["sys.d32"] = MakeSet(3, 5, 3)["sys.d32"];
    make(members(longer));
    const Outcome taken = volume::Run(RestoreJob(), options);
    EXPECT_TRUE(taken.ok()) << taken.message;
    EXPECT_EQ(Slurp(root / "CU1" / "syslog.d32"), longer["syslog.d32"]);
}

TEST_F(VolumeArchive, NoDiscOrNoArchiveIsSaidAndChangesNothing) {
    options.discFolder = (root / "no-such-drive").string();
    const auto before = DataBytes();
    const Outcome o = volume::Run(BackupJob(), options);
    EXPECT_EQ(o.problem, Problem::NoDisc);
    EXPECT_NE(o.message.find("There is no disc in drive A:"), std::string::npos) << o.message;
    EXPECT_EQ(ResultLine(), "failed");
    EXPECT_FALSE(fs::exists(root / "no-such-drive"));
    EXPECT_EQ(volume::Run(RestoreJob(), options).problem, Problem::NoDisc);

    options.discFolder = (root / "disc").string();
    const Outcome missing = volume::Run(RestoreJob(), options);
    EXPECT_EQ(missing.problem, Problem::NoArchive) << missing.message;
    auto after = DataBytes();
    after.erase(kResultFile);
    EXPECT_TRUE(after == before);
}

TEST_F(VolumeArchive, WaitsForTheUpdateLockAndGivesUpWithoutTouchingAnything) {
    ASSERT_TRUE(volume::Run(BackupJob(), options).ok());
    const std::string archive = Slurp(Archive());
    Spit(root / "CU1" / "nomlog.d32", "a posting run in progress");
    File holder;
    ASSERT_TRUE(holder.Open(root / "CU1" / "sys.d32", File::Access::ReadWrite));
    ASSERT_TRUE(holder.TryLockExclusive());

    EXPECT_EQ(volume::Run(BackupJob(), options).problem, Problem::InUse);
    EXPECT_EQ(Slurp(Archive()), archive) << "a folder in the middle of a run was archived";
    EXPECT_EQ(volume::Run(RestoreJob(), options).problem, Problem::InUse);
    EXPECT_EQ(Slurp(root / "CU1" / "nomlog.d32"), "a posting run in progress");

    holder.Close();
    EXPECT_TRUE(volume::Run(RestoreJob(), options).ok());
    EXPECT_EQ(Slurp(root / "CU1" / "nomlog.d32"), original["nomlog.d32"]);
}

TEST_F(VolumeArchive, ARestoreCutShortIsFinishedOnlyWhenCommittedAndNeverOverLaterWork) {
    const std::string data = (root / "CU1").string() + "/";
    const fs::path staging = root / "CU1" / kStagingFolder;
    ASSERT_TRUE(volume::Run(BackupJob(), options).ok());  // a safety copy-like folder exists
    fs::create_directories(root / "CU1" / "Backup");
    for (const auto& [name, bytes] : original) Spit(root / "CU1" / "Backup" / name, bytes);
    const auto restored = MakeSet(4, 7, 1);
    const auto files = [&](const fs::path& folder) {
        std::map<std::string, std::string> now;
        for (const char* f : kSet) now[f] = fs::exists(folder / f) ? Slurp(folder / f) : "<none>";
        return now;
    };

    // Staged but not committed: thrown away, the data as it was.
    ASSERT_EQ(StageDiscRestore(data, restored), 0);
    fs::remove(staging / kStagedMarker);
    EXPECT_EQ(SettleDiscRestore(data).kind, SettleOutcome::Kind::Dropped);
    EXPECT_TRUE(files(root / "CU1") == original);
    EXPECT_FALSE(fs::exists(staging));

    // Committed and cut short after two of its renames and a killed run's mark: finished, the
    // safety copy with it, and the old set's marks gone.
    ASSERT_EQ(StageDiscRestore(data, restored), 0);
    for (const char* f : {"memacc.d32", "nomlog.d32"}) fs::rename(staging / f, root / "CU1" / f);
    Spit(root / "CU1" / kRunMarkFile, "");
    EXPECT_EQ(SettleDiscRestore(data).kind, SettleOutcome::Kind::Finished);
    EXPECT_TRUE(files(root / "CU1") == restored);
    EXPECT_TRUE(files(root / "CU1" / "Backup") == restored);
    EXPECT_FALSE(fs::exists(root / "CU1" / kRunMarkFile));
    EXPECT_FALSE(fs::exists(root / "CU1" / "backup.pending"));
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_EQ(DataFolderProblem(data), "");

    // Committed, then the data changed by something that did not settle it first: finishing
    // it would undo that work, so it is dropped and the work stays.
    ASSERT_EQ(StageDiscRestore(data, original), 0);
    Spit(root / "CU1" / "nomlog.d32", restored.at("nomlog.d32") + std::string(56, 'w'));
    const SettleOutcome late = SettleDiscRestore(data);
    EXPECT_EQ(late.kind, SettleOutcome::Kind::Dropped);
    EXPECT_NE(late.message.find("have changed since"), std::string::npos) << late.message;
    EXPECT_EQ(Slurp(root / "CU1" / "nomlog.d32").size(), restored.at("nomlog.d32").size() + 56);
    EXPECT_TRUE(fs::exists(root / "CU1" / "backup.pending")) << "the copy must be retaken";
}

TEST_F(VolumeArchive, ABackupRefusesASetTheProgramWouldNotOpenAndLeavesNoTemporaryFiles) {
    ASSERT_TRUE(volume::Run(BackupJob(), options).ok());
    const std::string archive = Slurp(Archive());
    // What a killed backup leaves on the disc goes with the next one.
    for (const char* left : {"CU1.zip.tmp", "CU1.zip.tmp.Xa12bQ"}) {
        Spit(root / "disc" / "CU1" / left, "partial");
    }
    Spit(root / "disc" / "CU1" / "notes.txt", "the user's own");
    ASSERT_TRUE(volume::Run(BackupJob(), options).ok());
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(root / "disc" / "CU1")) {
        names.insert(e.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"CU1.zip", "notes.txt"}));

    // A killed run's logs, longer than the stored total; then a run mark alone.
    const std::string log = original["nomlog.d32"];
    Spit(root / "CU1" / "nomlog.d32", log + std::string(kNominalLogEntrySize, 'k'));
    Outcome o = volume::Run(BackupJob(), options);
    EXPECT_EQ(o.problem, Problem::Inconsistent);
    EXPECT_NE(o.message.find("start Tessary first, so that it can put the data right"),
              std::string::npos)
        << o.message;
    EXPECT_EQ(ResultLine(), "failed");
    Spit(root / "CU1" / "nomlog.d32", log);
    Spit(root / "CU1" / kRunMarkFile, "");
    o = volume::Run(BackupJob(), options);
    EXPECT_EQ(o.problem, Problem::Inconsistent) << o.message;
    EXPECT_EQ(Slurp(Archive()), archive) << "the old archive was replaced";
}

}  // namespace
}  // namespace tessary::volume
