#include "core/fileset.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tessary {

namespace fs = std::filesystem;

const char* DataFileName(DataFile file) {
    switch (file) {
        case DataFile::Sys:
            return "sys.d32";
        case DataFile::MemAcc:
            return "memacc.d32";
        case DataFile::MemLog:
            return "memlog.d32";
        case DataFile::NomAcc:
            return "nomacc.d32";
        case DataFile::NomLog:
            return "nomlog.d32";
        case DataFile::SysLog:
            return "syslog.d32";
    }
    return "";
}

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
}

void OpenAll(RunState& state, File::Access access, bool includeSys) {
    for (DataFile f : kDataFiles) {
        if (f == DataFile::Sys && !includeSys) continue;
        state.Files[f].Open(state.DataPath(DataFileName(f)), access);
    }
}

void CloseFive(RunState& state) {
    for (DataFile f : kDataFiles) {
        if (f != DataFile::Sys) state.Files[f].Close();
    }
}

// Rewrites `target` with the bytes of `source` through the same inode, so that an update lock
// held on it stays meaningful to every other opener.
bool ReplaceContentsInPlace(const fs::path& source, const fs::path& target) {
    if (!fs::exists(target)) return CopyFileDurably(source, target);
    std::error_code ec;
    const auto size = fs::file_size(source, ec);
    if (ec) return false;
    std::string bytes(size, '\0');
    File in;
    if (!in.Open(source, File::Access::ReadOnly) || in.ReadAt(0, bytes.data(), size) != size) {
        return false;
    }
    File out;
    return out.Open(target, File::Access::ReadWrite) && out.WriteAt(0, bytes.data(), size) &&
           out.Truncate(size) && out.Sync();
}

bool ConsistencyWaived(RunState& state) {
    File& syslog = state.Files[DataFile::SysLog];
    std::size_t got = syslog.ReadAt(0, RecordBytes(state.Syslog), sizeof(SyslogRecord));
    if (got <= kWaiverOffset) return false;
    char& mark = reinterpret_cast<char*>(RecordBytes(state.Syslog))[kWaiverOffset];
    if (mark != '*') return false;
    mark = ' ';
    syslog.WriteAt(0, RecordBytes(state.Syslog), got);
    return true;
}

constexpr std::string_view kPostingMarker = ".posted";

std::string MarkerFor(const std::string& batchPath) {
    return batchPath + std::string(kPostingMarker);
}

// Settles the batches of posting runs that died between their last write and the deletion of
// their batch. Runs under the update lock, so no other run is between those steps now.
void RecoverPostedBatches(RunState& state) {
    std::error_code ec;
    std::vector<fs::path> markers;
    for (const auto& entry : fs::directory_iterator(state.DataFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > kPostingMarker.size() &&
            name.compare(name.size() - kPostingMarker.size(), kPostingMarker.size(),
                         kPostingMarker) == 0) {
            markers.push_back(entry.path());
        }
    }
    for (const auto& marker : markers) {
        std::int32_t total = 0;
        File f;
        const bool read = f.Open(marker, File::Access::ReadOnly) &&
                          f.ReadAt(0, &total, sizeof total) == sizeof total;
        f.Close();
        if (read && total == state.System.ConsistencyTotal) {
            std::string batch = marker.string();
            batch.resize(batch.size() - kPostingMarker.size());
            fs::remove(batch, ec);
        }
        fs::remove(marker, ec);
    }
    if (!markers.empty()) SyncFolder(state.DataFolder);
}

}  // namespace

void MarkBatchPosting(RunState& state, const std::string& batchPath) {
    const std::int32_t total = SumLogSizes(state);
    const std::string marker = MarkerFor(batchPath);
    std::error_code ec;
    fs::remove(marker, ec);
    File f;
    if (CreateEmptyFile(marker) && f.Open(marker, File::Access::ReadWrite)) {
        f.WriteAt(0, &total, sizeof total);
        f.Sync();
    }
    SyncFolder(state.DataFolder);
}

void FinishBatchPosting(RunState& state, const std::string& batchPath) {
    std::error_code ec;
    fs::remove(batchPath, ec);
    fs::remove(MarkerFor(batchPath), ec);
    SyncFolder(state.DataFolder);
}

void PrepareDataFolder(RunState& state, const std::string& programFolder) {
    state.ProgramFolder = programFolder;
    const std::string folder = programFolder + "/" + state.FolderName;
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

bool OpenFileSet(RunState& state, int mode) {
    switch (mode) {
        case kSystemOnly:
            if (!fs::exists(state.DataPath("sys.d32"))) CreateMissingFiles(state);
            state.Files[DataFile::Sys].Open(state.DataPath("sys.d32"), File::Access::ReadOnly);
            return true;
        case kEnquiry:
            OpenAll(state, File::Access::ReadOnly, true);
            return true;
        case kUpdate:
            break;
        default:
            return false;
    }

    File& sys = state.Files[DataFile::Sys];
    if (!sys.Open(state.DataPath("sys.d32"), File::Access::ReadWrite) || !sys.TryLockExclusive()) {
        sys.Close();
        ShowMessage(state, kMsgFilesInUse);
        return false;
    }
    OpenAll(state, File::Access::ReadWrite, false);
    LoadSystemRecord(state);
    if (SumLogSizes(state) == state.System.ConsistencyTotal || ConsistencyWaived(state)) {
        RecoverPostedBatches(state);
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

void CloseFileSet(RunState& state, int mode) {
    File& sys = state.Files[DataFile::Sys];
    if (mode == kUpdate || mode == kYearEnd) {
        state.System.ConsistencyTotal = mode == kUpdate ? SumLogSizes(state) : 0;
        // The data must be on disc before the total that vouches for it is stored.
        for (DataFile f : kDataFiles) {
            if (f != DataFile::Sys) state.Files[f].Sync();
        }
        CloseFive(state);
        StoreSystemRecord(state, sys);
        sys.Sync();
        sys.Close();
        return;
    }
    if (mode == kEnquiry) CloseFive(state);
    sys.Close();
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
    const std::string safety = SafetyFolder(state);
    std::error_code ec;
    fs::create_directories(safety, ec);

    // Take the update lock while copying so the copy is one consistent state. When another
    // copy of the program holds it, that copy is mid-update and takes its own safety copy
    // when it finishes, so this one is left to it.
    File lock;
    if (lock.Open(state.DataPath("sys.d32"), File::Access::ReadWrite) && !lock.TryLockExclusive()) {
        return;
    }
    // Stage all six first, then rename them in, so a crash leaves at most a moment in which
    // the copies are from different runs, and never a half-written file.
    std::vector<DataFile> staged;
    for (DataFile f : kDataFiles) {
        if (WriteDurableCopy(state.DataPath(DataFileName(f)),
                             TemporaryNameFor(safety + DataFileName(f)))) {
            staged.push_back(f);
        }
    }
    for (DataFile f : staged) {
        const std::string target = safety + DataFileName(f);
        fs::rename(TemporaryNameFor(target), target, ec);
    }
    SyncFolder(safety);
}

void RestoreFromFolder(RunState& state) {
    const std::string safety = SafetyFolder(state);
    if (!fs::exists(safety + "sys.d32")) {
        ShowMessage(state, kMsgNoBackup);
        return;
    }
    for (DataFile f : kDataFiles) {
        const std::string source = safety + DataFileName(f);
        const std::string target = state.DataPath(DataFileName(f));
        if (f == DataFile::Sys) {
            ReplaceContentsInPlace(source, target);
        } else {
            CopyFileDurably(source, target);
        }
    }
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

void WriteMember(RunState& state) {
    if (state.RecordNo < 0) return;
    state.Files[DataFile::MemAcc].WriteAt(
        static_cast<std::uint64_t>(state.RecordNo) * kMemberRecordSize, RecordBytes(state.Member),
        kMemberRecordSize);
}

std::size_t ReadNominal(RunState& state) {
    if (state.RecordNo < 0) return 0;
    return state.Files[DataFile::NomAcc].ReadAt(
        static_cast<std::uint64_t>(state.RecordNo) * kNominalAccountRecordSize,
        RecordBytes(state.Nominal), kNominalAccountRecordSize);
}

void WriteNominal(RunState& state) {
    if (state.RecordNo < 0) return;
    state.Files[DataFile::NomAcc].WriteAt(
        static_cast<std::uint64_t>(state.RecordNo) * kNominalAccountRecordSize,
        RecordBytes(state.Nominal), kNominalAccountRecordSize);
}

std::int32_t MemberCount(const RunState& state) {
    return static_cast<std::int32_t>(state.Files[DataFile::MemAcc].Size() / kMemberRecordSize);
}

}  // namespace tessary
