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

#include "core/file.h"
#include "processing/backup.h"
#include "processing/volume/archive.h"
#include "ui/params.h"

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

    const auto backupArgs = ui::SplitParameters(BackupParameters('B', "CU1"));
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

    const auto restore = ParseJob(ui::SplitParameters(RestoreParameters('a', "CU2")), problem);
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
    EXPECT_EQ(ui::SplitParameters(R"(  a  "b c"d \\server\x "e \"f\" g" "" )"),
              (std::vector<std::string>{"a", "b cd", R"(\\server\x)", R"(e "f" g)", ""}));
    EXPECT_EQ(ui::SplitParameters(R"(a\\"b c")"), (std::vector<std::string>{R"(a\b c)"}));
    EXPECT_TRUE(ui::SplitParameters("   ").empty());
}

TEST(VolumeDrives, ALetterIsItsVariablesFolderElseTheRemovableMediaFolder) {
    ::setenv("TESSARY_DRIVE_B", "/mnt/floppy", 1);
    EXPECT_EQ(DriveFolder('b'), "/mnt/floppy");
    ::unsetenv("TESSARY_DRIVE_B");
    ::setenv("USER", "clerk", 1);
    EXPECT_EQ(DriveFolder('B'), "/media/clerk/B");
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
        // Bytes of every value, so any change in transit shows.
        std::string bytes;
        for (int i = 0; i < 70000; ++i) bytes += static_cast<char>((i * 7919) % 256);
        int n = 0;
        for (const char* f : kSet) original[f] = bytes.substr(0, 1000 * ++n) + f;
        original["memlog.d32"].clear();  // an empty log is a data file too
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
    Job BackupJob() { return MakeJob(ui::SplitParameters(BackupParameters('A', "CU1"))); }
    Job RestoreJob() { return MakeJob(ui::SplitParameters(RestoreParameters('A', "CU1"))); }
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
    EXPECT_TRUE(now.count("backup.pending")) << "the safety copy must be retaken";
    EXPECT_FALSE(fs::exists(root / "CU1" / kStagingFolder));
}

TEST_F(VolumeArchive, ADamagedOrForeignArchiveReplacesNothing) {
    ASSERT_TRUE(volume::Run(BackupJob(), options).ok());
    const std::string good = Slurp(Archive());
    Spit(root / "CU1" / "memacc.d32", "work since the backup");
    const auto before = DataBytes();
    const auto expectRefused = [&](const std::string& why) {
        const Outcome o = volume::Run(RestoreJob(), options);
        EXPECT_EQ(o.problem, Problem::Damaged) << why << ": " << o.message;
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
    std::vector<std::pair<std::string, std::string>> set;
    for (const char* f : kSet) set.emplace_back(std::string("CU1/") + f, "x");
    auto escaping = set;
    escaping.emplace_back("CU1/../evil.d32", "x");
    make(escaping);
    expectRefused("a member outside the folder");
    auto other = set;
    other.emplace_back("CU1/notes.txt", "x");
    make(other);
    expectRefused("a member that is no data file");
    auto incomplete = set;
    incomplete.pop_back();
    make(incomplete);
    expectRefused("no syslog.d32");
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

TEST_F(VolumeArchive, ASwitchCutShortIsFinishedAndUnmarkedStagingThrownAway) {
    const fs::path staging = root / "CU1" / kStagingFolder;
    fs::create_directories(staging);
    Spit(staging / "memacc.d32", "staged");
    SettleStaging((root / "CU1").string());
    EXPECT_EQ(Slurp(root / "CU1" / "memacc.d32"), original["memacc.d32"]);
    EXPECT_FALSE(fs::exists(staging));

    // Cut short after the marker and the first rename: the rest of the new set goes in.
    fs::create_directories(staging);
    Spit(staging / "sys.d32", "new sys");
    Spit(staging / "nomacc.d32", "new nomacc");
    Spit(staging / kStagedMarker, "");
    Spit(root / "CU1" / "memacc.d32", "new memacc");
    SettleStaging((root / "CU1").string());
    EXPECT_EQ(Slurp(root / "CU1" / "sys.d32"), "new sys");
    EXPECT_EQ(Slurp(root / "CU1" / "nomacc.d32"), "new nomacc");
    EXPECT_FALSE(fs::exists(staging));
}

}  // namespace
}  // namespace tessary::volume
