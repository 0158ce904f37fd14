#include "core/fileset.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/dataset.h"
#include "core/update.h"

namespace tessary {

namespace fs = std::filesystem;

namespace {

std::string SafetyFolder(const RunState& state) {
    return state.DataFolder + "Backup/";
}

void ShowMessage(RunState& state, std::string_view text) {
    if (state.desk) state.desk->ShowMessage(text);
}

// Creates the files of a new set. Only missing files are made, so a folder that has lost its
// sys.d32 keeps its members, logs and accounts.
void CreateMissingFiles(RunState& state) {
    const auto missing = [&](DataFile f) { return !fs::exists(state.DataPath(DataFileName(f))); };
    const auto templ = [&](DataFile f) { return state.ProgramFolder + "/" + DataFileName(f); };
    for (DataFile f : {DataFile::MemAcc, DataFile::MemLog, DataFile::NomAcc, DataFile::NomLog,
                       DataFile::SysLog, DataFile::Sys}) {
        if (!missing(f)) continue;
        if (f == DataFile::NomAcc || f == DataFile::Sys) {
            CopyTemplate(templ(f), state.DataPath(DataFileName(f)));
        } else {
            CreateEmptyFile(state.DataPath(DataFileName(f)));
        }
    }
    SyncFolder(state.DataFolder);
    // A new set gets its safety copy at once, so that even its first run can be undone.
    File lock;
    if (lock.Open(state.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadWrite) &&
        lock.TryLockExclusive() && SafetyCopyNeeded(state)) {
        TakeSafetyCopy(state);
    }
}

void OpenAll(RunState& state, File::Access access, bool includeSys) {
    for (DataFile f : kDataFiles) {
        if (f == DataFile::Sys && !includeSys) continue;
        state.Files[f].Open(state.DataPath(DataFileName(f)), access);
    }
}

// A disc restore cut short is settled before anything reads the set: finished when it was
// committed, else thrown away. Needs the update lock: `locked` says whether the caller holds
// it; without it the lock is taken for the moment, waiting a little for a restore's own
// switch to end. False, with the user told why, when the set may still be mixed.
bool SettleRestore(RunState& state, bool locked) {
    std::error_code ec;
    if (!fs::exists(state.DataPath(kStagingFolder), ec)) return true;
    File lock;
    if (!locked && fs::exists(state.DataPath(DataFileName(DataFile::Sys)), ec)) {
        for (int tries = 0;; ++tries) {
            if (lock.Open(state.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadWrite) &&
                lock.TryLockExclusive()) {
                break;
            }
            lock.Close();
            if (tries == 20) {
                ShowMessage(state, kMsgFilesInUse);
                return false;
            }
            ::usleep(100000);
        }
    }
    const SettleOutcome outcome = SettleDiscRestore(state.DataFolder);
    if (outcome.kind == SettleOutcome::Kind::Finished) {
        ShowMessage(state, "The restore from disc that was cut short has been finished");
    } else if (!outcome.message.empty()) {
        ShowMessage(state, outcome.message);
    }
    return outcome.kind != SettleOutcome::Kind::Failed;
}

bool ConsistencyWaived(RunState& state) {
    File& syslog = state.Files[DataFile::SysLog];
    std::size_t got = syslog.ReadAt(0, RecordBytes(state.Syslog), sizeof(SyslogRecord));
    if (got <= kWaiverOffset) return false;
    char& mark = reinterpret_cast<char*>(RecordBytes(state.Syslog))[kWaiverOffset];
    if (mark != '*') return false;
    mark = ' ';
    // Should the blank not reach the file, the mark simply waives the check once more.
    if (!syslog.WriteAt(0, RecordBytes(state.Syslog), got)) return true;
    return true;
}

}  // namespace

void PrepareDataFolder(RunState& state, const std::string& programFolder,
                       const std::string& dataHome) {
    state.ProgramFolder = programFolder;
    const std::string folder =
        (dataHome.empty() ? programFolder : dataHome) + "/" + state.FolderName;
    if (!fs::exists(folder + "/sys.d32")) {
        std::error_code ec;
        fs::create_directories(folder, ec);  // an existing folder is fine
    }
    state.DataFolder = folder + "/";
}

std::size_t LoadSystemRecord(RunState& state) {
    // Bytes a short file does not hold read as plain zeros rather than as unscrambled
    // noise, so a truncated record can never yield a random date or consistency total; the
    // zero drive letter then makes start-up rewrite the record at full length.
    SystemRecord stored;
    const std::size_t got =
        state.Files[DataFile::Sys].ReadAt(0, RecordBytes(stored), sizeof(SystemRecord));
    ScrambleBytes(RecordBytes(stored), got);
    std::memset(RecordBytes(stored) + got, 0, sizeof(SystemRecord) - got);
    state.System = stored;
    return got;
}

bool StoreSystemRecord(RunState& state, File& file) {
    ScrambleSystemRecord(state.System);
    const bool ok = file.WriteAt(0, RecordBytes(state.System), sizeof(SystemRecord));
    ScrambleSystemRecord(state.System);
    return ok;
}

bool OpenFileSet(RunState& state, FileSetMode mode) {
    switch (mode) {
        case kSystemOnly:
            if (!SettleRestore(state, false)) return false;
            if (!fs::exists(state.DataPath(DataFileName(DataFile::Sys)))) CreateMissingFiles(state);
            state.Files[DataFile::Sys].Open(state.DataPath(DataFileName(DataFile::Sys)),
                                            File::Access::ReadOnly);
            return true;
        case kEnquiry:
            // A run that died after its commit still has its batch on disc: settle it before
            // any form or check reads the batch.
            if (!SettleRestore(state, false)) return false;
            SettleCommitMarkers(state, false);
            OpenAll(state, File::Access::ReadOnly, true);
            return true;
        case kUpdate:
            break;
        default:
            return false;
    }

    File& sys = state.Files[DataFile::Sys];
    if (!sys.Open(state.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadWrite) ||
        !sys.TryLockExclusive()) {
        sys.Close();
        ShowMessage(state, kMsgFilesInUse);
        return false;
    }
    if (!SettleRestore(state, true)) {
        sys.Close();
        return false;
    }
    OpenAll(state, File::Access::ReadWrite, false);
    LoadSystemRecord(state);
    const bool runCutShort = RunInProgress(state.DataFolder);
    if ((SumLogSizes(state) == state.System.ConsistencyTotal && !runCutShort) ||
        ConsistencyWaived(state)) {
        // A waived check accepts the set as it stands, a run cut short included.
        std::error_code ec;
        if (runCutShort && !fs::remove(state.DataPath(kRunMarkFile), ec)) {
            CloseFileSet(state, kEnquiry);
            ShowMessage(state, "The data files cannot be changed: " + FileErrorText(ec.value()));
            return false;
        }
        SettleCommitMarkers(state, true);
        // No update starts without a safety copy of the last completed one.
        if (SafetyCopyNeeded(state)) {
            if (const int error = TakeSafetyCopy(state)) {
                CloseFileSet(state, kEnquiry);
                ShowMessage(state, "The safety copy could not be taken: " + FileErrorText(error));
                return false;
            }
            std::error_code ec;
            fs::remove(state.DataPath(kCopyPendingFile), ec);
        }
        state.Update = UpdateJournal{};
        state.Update.open = true;
        state.Update.loadedSystem.assign(reinterpret_cast<const char*>(RecordBytes(state.System)),
                                         sizeof(SystemRecord));
        return true;
    }

    const bool restore =
        state.desk && state.desk->AskQuestion(kMsgInconsistent, kMsgRestoreQuestion);
    // The restore runs while this copy still holds the update lock, so that no other copy
    // can start an update on files that are being replaced.
    if (restore) RestoreFromFolder(state);
    CloseFileSet(state, kEnquiry);
    ShutDown(state);
    return false;
}

void CloseFileSet(RunState& state, FileSetMode mode) {
    File& sys = state.Files[DataFile::Sys];
    if ((mode == kUpdate || mode == kYearEnd) && state.Update.open) {
        const UpdateOutcome outcome = CommitUpdate(state, mode);
        if (!outcome.ok()) ShowMessage(state, OutcomeMessage(outcome, "Saving"));
        return;
    }
    if (mode != kSystemOnly) {
        for (DataFile f : kDataFiles) {
            if (f != DataFile::Sys) state.Files[f].Close();
        }
    }
    sys.Close();
    state.Update = UpdateJournal{};
}

std::int32_t SumLogSizes(const RunState& state) {
    const std::uint64_t sum = state.Files[DataFile::MemLog].Size() +
                              state.Files[DataFile::NomLog].Size() +
                              state.Files[DataFile::SysLog].Size();
    // The stored total is an Int32; sizes beyond it wrap as they would in the file.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum));
}

void CopyTemplate(const std::string& source, const std::string& target) {
    CopyFileDurably(source, target);
}

void BackupToFolder(RunState& state) {
    // Taken under the update lock, so the copy is one consistent state. When another copy of
    // the program holds the lock, that copy is mid-update and brings the copy up to date
    // before it lets go.
    File lock;
    if (!lock.Open(state.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadWrite) ||
        !lock.TryLockExclusive()) {
        return;
    }
    if (TakeSafetyCopy(state) == 0) {
        std::error_code ec;
        fs::remove(state.DataPath(kCopyPendingFile), ec);
    }
}

void RestoreFromFolder(RunState& state) {
    const std::string safety = SafetyFolder(state);
    std::error_code ec;
    // A switch of copies cut short leaves the last whole copy under the third name.
    if (!fs::exists(state.DataFolder + kSafetyFolder, ec) &&
        fs::exists(state.DataFolder + kSafetyFolder + ".old", ec)) {
        RenamePath(state.DataFolder + kSafetyFolder + ".old", state.DataFolder + kSafetyFolder);
    }
    if (!fs::exists(safety + DataFileName(DataFile::Sys))) {
        ShowMessage(state, kMsgNoBackup);
        return;
    }
    if (!SafetyCopyWhole(state)) {
        ShowMessage(state, "The safety copy is incomplete and cannot be restored");
        return;
    }
    // Every file is staged beside its target first, so a failure (a full disc) replaces
    // nothing; the renames that follow cannot run out of space.
    int error = 0;
    for (DataFile f : kDataFiles) {
        if (f == DataFile::Sys) continue;
        error = WriteDurableCopy(safety + DataFileName(f),
                                 TemporaryNameFor(state.DataPath(DataFileName(f))));
        if (error != 0) break;
    }
    for (DataFile f : kDataFiles) {
        if (f == DataFile::Sys) continue;
        const fs::path target = state.DataPath(DataFileName(f));
        if (error == 0) {
            error = RenamePath(TemporaryNameFor(target), target);
        } else {
            fs::remove(TemporaryNameFor(target), ec);
        }
    }
    if (error == 0)
        error = ReplaceContentsInPlace(safety + DataFileName(DataFile::Sys),
                                       state.DataPath(DataFileName(DataFile::Sys)));
    if (error == 0) error = SyncFolder(state.DataFolder);
    if (error != 0) {
        ShowMessage(state, "The restore failed: " + FileErrorText(error));
        return;
    }
    // The data is the safety copy again: whole, and no run of it is in progress.
    fs::remove(state.DataPath(kRunMarkFile), ec);
    fs::remove(state.DataPath(kCopyPendingFile), ec);
    SyncFolder(state.DataFolder);
    ShowMessage(state, kMsgRestoreCompleted);
}

void ShutDown(RunState& state) {
    for (File& f : state.Files.files) f.Close();
    if (state.desk) state.desk->RequestShutDown();
}

std::size_t ReadMember(RunState& state) {
    if (state.RecordNo < 0) return 0;
    return state.Files[DataFile::MemAcc].ReadAt(
        static_cast<std::uint64_t>(state.RecordNo) * kMemberRecordSize, RecordBytes(state.Member),
        kMemberRecordSize);
}

bool WriteMember(RunState& state) {
    if (state.RecordNo < 0) return false;
    return WriteData(state, DataFile::MemAcc,
                     static_cast<std::uint64_t>(state.RecordNo) * kMemberRecordSize,
                     RecordBytes(state.Member), kMemberRecordSize);
}

std::size_t ReadNominal(RunState& state) {
    if (state.RecordNo < 0) return 0;
    return state.Files[DataFile::NomAcc].ReadAt(
        static_cast<std::uint64_t>(state.RecordNo) * kNominalAccountRecordSize,
        RecordBytes(state.Nominal), kNominalAccountRecordSize);
}

bool WriteNominal(RunState& state) {
    if (state.RecordNo < 0) return false;
    return WriteData(state, DataFile::NomAcc,
                     static_cast<std::uint64_t>(state.RecordNo) * kNominalAccountRecordSize,
                     RecordBytes(state.Nominal), kNominalAccountRecordSize);
}

std::int32_t MemberCount(const RunState& state) {
    return static_cast<std::int32_t>(state.Files[DataFile::MemAcc].Size() / kMemberRecordSize);
}

}  // namespace tessary
