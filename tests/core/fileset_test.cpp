#include "core/fileset.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "core/fixture.h"
#include "core/update.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;
using testing::AppendBytes;
using testing::ReadBytes;
using testing::WriteBytes;

class FileSetTest : public testing::ProgramFolderTest {
  protected:
    // One update run that appends to every log, as a posting run would.
    void UpdateRun(double amount) {
        ASSERT_TRUE(OpenFileSet(state, kUpdate));
        MemberLogEntry entry;
        entry.Amount = amount;
        entry.MemberNo = 1;
        entry.TransType = 1;
        ASSERT_TRUE(AppendRecord(state, DataFile::MemLog, entry));
        SyslogRecord sys;
        sys.Amount = amount;
        sys.Description.set("Post Members Transactions");
        ASSERT_TRUE(AppendRecord(state, DataFile::SysLog, sys));
        CloseFileSet(state, kUpdate);
    }

    std::int32_t StoredTotal() {
        SystemRecord r;
        auto bytes = ReadBytes(Data("sys.d32"));
        EXPECT_EQ(bytes.size(), sizeof r);
        std::memcpy(RecordBytes(r), bytes.data(), sizeof r);
        ScrambleSystemRecord(r);
        return r.ConsistencyTotal;
    }
};

TEST_F(FileSetTest, FolderIsChosenByTheFirstArgument) {
    ChooseFolder(state, {});
    EXPECT_EQ(state.FolderName, "CU1");
    EXPECT_FALSE(state.PatchMode);
    ChooseFolder(state, {"PaTcH"});
    EXPECT_EQ(state.FolderName, "CU1");
    EXPECT_TRUE(state.PatchMode);
    ChooseFolder(state, {"ABCDEFGHIJ"});
    EXPECT_EQ(state.FolderName, "ABCDEFGH");
    EXPECT_FALSE(state.PatchMode);
    PrepareDataFolder(state, program.string());
    EXPECT_EQ(state.DataFolder, (program / "ABCDEFGH").string() + "/");
    EXPECT_TRUE(fs::is_directory(program / "ABCDEFGH"));
}

TEST_F(FileSetTest, FirstRunCreatesAnEmptySetThatPassesTheCheck) {
    StartIn();
    for (const char* empty : {"memacc.d32", "memlog.d32", "nomlog.d32", "syslog.d32"}) {
        ASSERT_TRUE(fs::exists(Data(empty))) << empty;
        EXPECT_EQ(fs::file_size(Data(empty)), 0u) << empty;
    }
    EXPECT_EQ(ReadBytes(Data("sys.d32")), ReadBytes(program / "sys.d32"));
    EXPECT_EQ(ReadBytes(Data("nomacc.d32")), ReadBytes(program / "nomacc.d32"));
    EXPECT_EQ(+state.System.UserLevels[0], 1);

    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    CloseFileSet(state, kUpdate);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(StoredTotal(), 0);
}

TEST_F(FileSetTest, MissingSysFileNeverEmptiesTheOtherFiles) {
    StartIn();
    UpdateRun(10);
    AppendBytes(Data("memacc.d32"), kMemberRecordSize, 0x41);
    const auto members = ReadBytes(Data("memacc.d32"));
    const auto log = ReadBytes(Data("memlog.d32"));
    fs::remove(Data("sys.d32"));
    fs::remove(Data("nomlog.d32"));

    OpenFileSet(state, kSystemOnly);
    CloseFileSet(state, kSystemOnly);
    EXPECT_EQ(ReadBytes(Data("memacc.d32")), members);
    EXPECT_EQ(ReadBytes(Data("memlog.d32")), log);
    EXPECT_TRUE(fs::exists(Data("nomlog.d32")));
    EXPECT_EQ(ReadBytes(Data("sys.d32")), ReadBytes(program / "sys.d32"));
}

TEST_F(FileSetTest, UpdateCloseStoresTheLogSizesAndEnquiryNeverWritesSys) {
    StartIn();
    UpdateRun(25);
    EXPECT_EQ(StoredTotal(), static_cast<std::int32_t>(kMemberLogEntrySize + kSyslogRecordSize));

    const auto before = ReadBytes(Data("sys.d32"));
    OpenFileSet(state, kEnquiry);
    state.System.UnionName.set("changed in memory only");
    CloseFileSet(state, kEnquiry);
    EXPECT_EQ(ReadBytes(Data("sys.d32")), before);
}

TEST_F(FileSetTest, LogAppendedBehindTheProgramsBackIsCaught) {
    StartIn();
    UpdateRun(25);
    const auto sysBefore = ReadBytes(Data("sys.d32"));
    AppendBytes(Data("memlog.d32"), kMemberLogEntrySize);
    const auto logBefore = ReadBytes(Data("memlog.d32"));

    desk.answer = false;  // Cancel: no restore
    EXPECT_FALSE(OpenFileSet(state, kUpdate));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0], "TS files are inconsistent");
    ASSERT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(desk.questions[0], "Restore them from the last backup ?");
    EXPECT_EQ(desk.shutdowns, 1);
    EXPECT_EQ(ReadBytes(Data("sys.d32")), sysBefore);
    EXPECT_EQ(ReadBytes(Data("memlog.d32")), logBefore);
    // Nothing is left open, so another copy could go ahead.
    RunState other;
    other.desk = &desk;
    other.DataFolder = state.DataFolder;
    EXPECT_FALSE(OpenFileSet(other, kUpdate));  // still inconsistent, but not "in use"
    EXPECT_NE(desk.messages.back(), "Required files in use");
}

TEST_F(FileSetTest, InconsistentSetIsRestoredFromTheSafetyCopy) {
    StartIn();
    UpdateRun(25);
    BackupToFolder(state);
    const auto goodLog = ReadBytes(Data("memlog.d32"));
    const auto goodSys = ReadBytes(Data("sys.d32"));
    AppendBytes(Data("memlog.d32"), kMemberLogEntrySize, 0x55);

    desk.answer = true;
    EXPECT_FALSE(OpenFileSet(state, kUpdate));
    EXPECT_EQ(desk.messages.back(), "Restore Completed");
    EXPECT_EQ(desk.shutdowns, 1);
    EXPECT_EQ(ReadBytes(Data("memlog.d32")), goodLog);
    EXPECT_EQ(ReadBytes(Data("sys.d32")), goodSys);

    desk.messages.clear();
    EXPECT_TRUE(OpenFileSet(state, kUpdate));
    CloseFileSet(state, kUpdate);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(FileSetTest, WaiverMarkLetsOneUpdateThroughAndIsUsedUp) {
    StartIn();
    UpdateRun(25);
    auto syslog = ReadBytes(Data("syslog.d32"));
    syslog[kWaiverOffset] = '*';
    WriteBytes(Data("syslog.d32"), syslog);
    AppendBytes(Data("nomlog.d32"), kNominalLogEntrySize);

    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    CloseFileSet(state, kUpdate);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(ReadBytes(Data("syslog.d32"))[kWaiverOffset], ' ');
    EXPECT_EQ(StoredTotal(), static_cast<std::int32_t>(kMemberLogEntrySize + kSyslogRecordSize +
                                                       kNominalLogEntrySize));

    // The total is right again, so a clean open passes; a second tampering is caught.
    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    CloseFileSet(state, kUpdate);
    AppendBytes(Data("nomlog.d32"), kNominalLogEntrySize);
    EXPECT_FALSE(OpenFileSet(state, kUpdate));
    EXPECT_EQ(desk.messages.front(), "TS files are inconsistent");
}

TEST_F(FileSetTest, YearEndStoresZeroAndEmptiedLogsPass) {
    StartIn();
    UpdateRun(25);
    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    for (DataFile f : {DataFile::MemLog, DataFile::NomLog, DataFile::SysLog}) {
        ASSERT_TRUE(TruncateData(state, f, 0));
    }
    CloseFileSet(state, kYearEnd);
    EXPECT_EQ(StoredTotal(), 0);
    EXPECT_TRUE(OpenFileSet(state, kUpdate));
    CloseFileSet(state, kUpdate);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(FileSetTest, TwoUpdatersInOneProcessExcludeEachOther) {
    StartIn();
    RunState second;
    testing::RecordingDesk secondDesk;
    second.desk = &secondDesk;
    second.DataFolder = state.DataFolder;

    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    EXPECT_FALSE(OpenFileSet(second, kUpdate));
    EXPECT_EQ(secondDesk.messages, std::vector<std::string>{"Required files in use"});
    EXPECT_FALSE(second.Files[DataFile::MemAcc].IsOpen());
    // Readers are never blocked.
    OpenFileSet(second, kEnquiry);
    EXPECT_TRUE(second.Files[DataFile::MemLog].IsOpen());
    CloseFileSet(second, kEnquiry);

    CloseFileSet(state, kUpdate);
    EXPECT_TRUE(OpenFileSet(second, kUpdate));
    CloseFileSet(second, kUpdate);
}

TEST_F(FileSetTest, TwoProcessesContendForUpdate) {
    StartIn();
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RunState holder;
        testing::RecordingDesk childDesk;
        holder.desk = &childDesk;
        holder.DataFolder = state.DataFolder;
        const char ok = OpenFileSet(holder, kUpdate) ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        char go;
        (void)!read(release[0], &go, 1);
        CloseFileSet(holder, kUpdate);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    EXPECT_FALSE(OpenFileSet(state, kUpdate));
    EXPECT_EQ(desk.messages, std::vector<std::string>{"Required files in use"});
    OpenFileSet(state, kEnquiry);  // reports still run
    EXPECT_TRUE(state.Files[DataFile::NomAcc].IsOpen());
    CloseFileSet(state, kEnquiry);

    ASSERT_EQ(write(release[1], "g", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(OpenFileSet(state, kUpdate));  // the lock died with the child's close
    CloseFileSet(state, kUpdate);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

TEST_F(FileSetTest, SafetyCopyIsTakenWithEveryUpdate) {
    StartIn();
    // A new set has its copy from the start, so even its first run can be undone.
    ASSERT_TRUE(fs::is_directory(Data("Backup")));
    EXPECT_TRUE(ReadBytes(Data("Backup/memlog.d32")).empty());
    AppendBytes(Data("memacc.d32"), 50 * kMemberRecordSize);
    const auto rewrite = [&](std::uint64_t member, char byte) {
        ASSERT_TRUE(OpenFileSet(state, kUpdate));
        BeginRun(state);
        const std::string record(kMemberRecordSize, byte);
        ASSERT_TRUE(WriteData(state, DataFile::MemAcc, member * kMemberRecordSize, record.data(),
                              record.size()));
        CloseFileSet(state, kUpdate);
    };
    const auto yearEnd = [&] {
        ASSERT_TRUE(OpenFileSet(state, kUpdate));
        BeginRun(state);
        ASSERT_TRUE(TruncateData(state, DataFile::MemLog, 0));
        ASSERT_TRUE(TruncateData(state, DataFile::SysLog, 0));
        CloseFileSet(state, kYearEnd);
    };
    // Each copy is the one before it brought forward by what the last two runs changed: runs
    // that append, rewrite records here and there, and cut the logs.
    const std::function<void()> runs[] = {
        [&] { UpdateRun(10); },
        [&] { rewrite(7, 'a'); },
        [&] { UpdateRun(20); },
        [&] {
            rewrite(49, 'b');
            rewrite(8, 'c');
        },
        [&] { yearEnd(); },
        [&] { UpdateRun(30); },
        [&] { rewrite(0, 'd'); },
        [&] { UpdateRun(40); },
    };
    for (std::size_t i = 0; i < std::size(runs); ++i) {
        runs[i]();
        EXPECT_FALSE(fs::exists(Data("backup.pending"))) << "run " << i;
        for (DataFile f : kDataFiles) {
            EXPECT_EQ(ReadBytes(Data(std::string("Backup/") + DataFileName(f))),
                      ReadBytes(Data(DataFileName(f))))
                << DataFileName(f) << " after run " << i;
        }
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(Data("Backup"))) ++files;
    EXPECT_EQ(files, 7u);  // the six and the note: no staging files left behind
}

TEST_F(FileSetTest, SafetyCopyFollowsAChangeMadeBehindItsBack) {
    StartIn();
    AppendBytes(Data("memacc.d32"), 4 * kMemberRecordSize);
    UpdateRun(10);
    UpdateRun(20);
    // A hand rewrites a member record in place: same file, same size, its time put back. Only
    // the change time, which no one can set, still tells.
    const std::string memacc = Data("memacc.d32");
    struct stat was {};
    ASSERT_EQ(stat(memacc.c_str(), &was), 0);
    auto bytes = ReadBytes(memacc);
    bytes[kMemberRecordSize + 5] ^= 0x5a;
    WriteBytes(memacc, bytes);
    const timespec times[2] = {was.st_atim, was.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, memacc.c_str(), times, 0), 0);
    struct stat now {};
    ASSERT_EQ(stat(memacc.c_str(), &now), 0);
    ASSERT_EQ(now.st_ino, was.st_ino);
    UpdateRun(30);
    for (DataFile f : kDataFiles) {
        EXPECT_EQ(ReadBytes(Data(std::string("Backup/") + DataFileName(f))),
                  ReadBytes(Data(DataFileName(f))))
            << DataFileName(f);
    }
}

TEST_F(FileSetTest, SafetyCopyWaitsForAnotherUpdater) {
    StartIn();
    UpdateRun(10);
    BackupToFolder(state);
    const auto copied = ReadBytes(Data("Backup/memlog.d32"));
    RunState other;
    other.desk = &desk;
    other.DataFolder = state.DataFolder;
    ASSERT_TRUE(OpenFileSet(other, kUpdate));
    AppendBytes(Data("memlog.d32"), kMemberLogEntrySize);  // the other copy mid-update
    BackupToFolder(state);
    EXPECT_EQ(ReadBytes(Data("Backup/memlog.d32")), copied);
    CloseFileSet(other, kUpdate);
}

TEST_F(FileSetTest, RestoreWithoutSysInTheSafetyCopyChangesNothing) {
    StartIn();
    UpdateRun(10);
    BackupToFolder(state);
    UpdateRun(20);
    fs::remove(Data("Backup/sys.d32"));
    const auto log = ReadBytes(Data("memlog.d32"));
    RestoreFromFolder(state);
    EXPECT_EQ(desk.messages, std::vector<std::string>{"No Backup available"});
    EXPECT_EQ(ReadBytes(Data("memlog.d32")), log);
}

TEST_F(FileSetTest, MemberRecordsAreNumberedFromTheStartOfTheFile) {
    StartIn();
    AppendBytes(Data("memacc.d32"), 2 * kMemberRecordSize);
    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    EXPECT_EQ(MemberCount(state), 2);
    state.RecordNo = 2;
    EXPECT_LT(ReadMember(state), kMemberRecordSize);  // no member 3 yet
    state.Member = MemberRecord{};
    state.Member.Name.set("Third Member");
    state.Member.Share1 = 12.34;
    WriteMember(state);
    EXPECT_EQ(MemberCount(state), 3);
    state.Member = MemberRecord{};
    state.RecordNo = 2;
    EXPECT_EQ(ReadMember(state), kMemberRecordSize);
    EXPECT_EQ(state.Member.Name.str(), "Third Member");

    state.RecordNo = 80;
    EXPECT_EQ(ReadNominal(state), kNominalAccountRecordSize);
    EXPECT_EQ(state.Nominal.AccountName.str(), "Undivided Earnings");
    state.Nominal.Budget = 99;
    WriteNominal(state);
    CloseFileSet(state, kUpdate);

    const auto bytes = ReadBytes(Data("memacc.d32"));
    ASSERT_EQ(bytes.size(), 3 * kMemberRecordSize);
    EXPECT_EQ(bytes[776 + 142], 12);  // the name's length byte of member 3
    EXPECT_EQ(fs::file_size(Data("nomacc.d32")), 160 * kNominalAccountRecordSize);

    // Writes through an enquiry open have no effect.
    OpenFileSet(state, kEnquiry);
    state.RecordNo = 0;
    state.Member.Name.set("Not written");
    WriteMember(state);
    CloseFileSet(state, kEnquiry);
    EXPECT_EQ(ReadBytes(Data("memacc.d32")), bytes);
}

}  // namespace
}  // namespace tessary
