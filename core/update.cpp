#include "core/update.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/fileset.h"

namespace tessary {

namespace fs = std::filesystem;

namespace {

std::size_t Index(DataFile f) {
    return static_cast<std::size_t>(f);
}

std::string SystemBytes(const SystemRecord& record) {
    return std::string(reinterpret_cast<const char*>(RecordBytes(record)), sizeof record);
}

// The first write of an update marks the safety copy out of date, and the first write of a
// run also marks the run in progress, durably, before any data changes: should the program
// die, the next open then knows to take the copy again, and that the run never committed.
bool MarkCopyPending(RunState& state) {
    UpdateJournal& j = state.Update;
    const bool markRun = j.recording && !j.runMarked;
    if (j.pending && !markRun) return true;
    const auto fail = [&j] {
        if (j.error == 0) j.error = errno != 0 ? errno : EIO;
        return false;
    };
    const std::string pending = state.DataPath(kCopyPendingFile);
    if (!j.pending && !fs::exists(pending) && !CreateEmptyFile(pending)) return fail();
    const std::string run = state.DataPath(kRunMarkFile);
    if (markRun && !fs::exists(run) && !CreateEmptyFile(run)) return fail();
    // Made, though perhaps not yet durably: an undo takes it away again.
    j.runMarked = j.runMarked || markRun;
    if (const int error = SyncFolder(state.DataFolder)) {
        if (j.error == 0) j.error = error;
        return false;
    }
    j.pending = true;
    return true;
}

// Takes the run mark away; 0 or the error number.
int RemoveRunMark(RunState& state) {
    std::error_code ec;
    fs::remove(state.DataPath(kRunMarkFile), ec);
    return ec ? ec.value() : SyncFolder(state.DataFolder);
}

// Puts back what the run overwrote and cuts the files back to their sizes at its start. The
// cut comes last: should a put-back fail, the logs stay long and the next open sees the set
// as inconsistent and restores the safety copy, rather than accepting half-undone records.
bool UndoRun(RunState& state) {
    UpdateJournal& j = state.Update;
    bool ok = true;
    for (auto u = j.undo.rbegin(); ok && u != j.undo.rend(); ++u) {
        ok = state.Files[u->file].WriteAt(u->offset, u->bytes.data(), u->bytes.size());
    }
    for (DataFile f : kDataFiles) {
        if (!ok || f == DataFile::Sys) continue;
        File& file = state.Files[f];
        if (file.Size() > j.sizes[Index(f)]) ok = file.Truncate(j.sizes[Index(f)]);
        ok = ok && file.Sync();
    }
    j.undo.clear();
    return ok;
}

void CloseFive(RunState& state) {
    for (DataFile f : kDataFiles) {
        if (f != DataFile::Sys) state.Files[f].Close();
    }
}

void EndUpdate(RunState& state) {
    CloseFive(state);
    state.Files[DataFile::Sys].Close();
    state.Update = UpdateJournal{};
}

}  // namespace

bool WriteData(RunState& state, DataFile file, std::uint64_t offset, const void* bytes,
               std::size_t count) {
    UpdateJournal& j = state.Update;
    if (j.open && !MarkCopyPending(state)) return false;
    File& f = state.Files[file];
    j.changed[Index(file)].Add(offset, offset + count);
    if (j.recording) {
        const std::uint64_t size = f.Size();
        if (offset < size) {
            const std::uint64_t end = std::min<std::uint64_t>(offset + count, size);
            UpdateJournal::Ahead& a = j.ahead;
            if (a.file != file || offset < a.offset || end > a.offset + a.bytes.size()) {
                a.file = file;
                a.offset = offset;
                a.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(
                    size - offset, std::max<std::uint64_t>(count, 1 << 18))));
                a.bytes.resize(f.ReadAt(offset, a.bytes.data(), a.bytes.size()));
            }
            const std::uint64_t from = std::min<std::uint64_t>(offset - a.offset, a.bytes.size());
            j.undo.push_back({file, offset,
                              a.bytes.substr(static_cast<std::size_t>(from),
                                             static_cast<std::size_t>(end - offset))});
        }
    }
    if (f.WriteAt(offset, bytes, count)) return true;
    if (j.error == 0) j.error = f.Error();
    return false;
}

bool AppendData(RunState& state, DataFile file, const void* bytes, std::size_t count) {
    return WriteData(state, file, state.Files[file].Size(), bytes, count);
}

bool TruncateData(RunState& state, DataFile file, std::uint64_t size) {
    UpdateJournal& j = state.Update;
    if (j.open && !MarkCopyPending(state)) return false;
    File& f = state.Files[file];
    const std::uint64_t old = f.Size();
    j.changed[Index(file)].Add(size, UINT64_MAX);
    j.ahead.bytes.clear();  // what was read ahead may lie beyond the cut
    if (j.recording && size < old) {
        std::string tail(static_cast<std::size_t>(old - size), '\0');
        tail.resize(f.ReadAt(size, tail.data(), tail.size()));
        j.undo.push_back({file, size, std::move(tail)});
    }
    if (f.Truncate(size)) return true;
    if (j.error == 0) j.error = f.Error();
    return false;
}

void BeginRun(RunState& state) {
    UpdateJournal& j = state.Update;
    j.recording = true;
    j.undo.clear();
    j.ahead.bytes.clear();
    for (DataFile f : kDataFiles) j.sizes[Index(f)] = state.Files[f].Size();
}

void FailRun(RunState& state, int error) {
    if (state.Update.error == 0) state.Update.error = error;
}

UpdateOutcome CommitUpdate(RunState& state, FileSetMode mode, const std::string& batchPath) {
    UpdateJournal& j = state.Update;
    UpdateOutcome out;
    File& sys = state.Files[DataFile::Sys];
    const auto fail = [&](int error) {
        out.error = error;
        out.undone = !j.pending || (j.recording && UndoRun(state));
        std::error_code ec;
        // Undone whole: the data is again what the safety copy holds. Otherwise the logs stay
        // long, and the next open finds the set inconsistent and restores the copy.
        if (out.undone && j.pending) fs::remove(state.DataPath(kCopyPendingFile), ec);
        // Undone whole, the run left nothing to mark; else the mark keeps the set suspect.
        if (out.undone && j.runMarked) RemoveRunMark(state);
        LoadSystemRecord(state);  // memory follows what is stored
        if (!batchPath.empty()) fs::remove(batchPath + kCommitMarkerSuffix, ec);
        EndUpdate(state);
        return out;
    };
    if (!j.open) return fail(EBADF);
    // A run is all or nothing. Maintenance writes record by record: what was written stays,
    // and the failure is reported with the rest committed.
    if (j.error != 0 && j.recording) return fail(j.error);
    out.incomplete = j.error != 0;
    const int writeError = j.error;

    const bool changed = j.pending || SystemBytes(state.System) != j.loadedSystem;
    if (changed && !MarkCopyPending(state)) return fail(j.error);
    // The data must be on disc before the total that vouches for it is stored.
    for (DataFile f : kDataFiles) {
        if (f != DataFile::Sys && state.Files[f].IsOpen() && !state.Files[f].Sync()) {
            return fail(state.Files[f].Error());
        }
    }
    state.System.ConsistencyTotal = mode == kYearEnd ? 0 : SumLogSizes(state);
    if (!batchPath.empty()) {
        const std::int32_t total = state.System.ConsistencyTotal;
        const std::string marker(reinterpret_cast<const char*>(&total), sizeof total);
        if (const int error = WriteFileDurably(batchPath + kCommitMarkerSuffix, marker)) {
            return fail(error);
        }
        if (const int error = SyncFolder(state.DataFolder)) return fail(error);
    }
    const auto putBackSystem = [&] {
        SystemRecord old;
        std::memcpy(RecordBytes(old), j.loadedSystem.data(), sizeof old);
        state.System = old;
        return StoreSystemRecord(state, sys) && sys.Sync();
    };
    const auto unconfirmed = [&](int error) {
        // Which state the disc holds is unknown. Nothing more is touched: the markers stay,
        // and the next open settles the run by what it finds, whole either way.
        out.error = error;
        out.uncertain = true;
        LoadSystemRecord(state);
        EndUpdate(state);
        return out;
    };
    if (!StoreSystemRecord(state, sys) || !sys.Sync()) {
        const int error = sys.Error();
        // Put the old record back, so the stored total keeps vouching for the old logs.
        if (putBackSystem()) return fail(error);
        return unconfirmed(error);
    }
    if (j.runMarked) {
        // Taking the run mark away is the commit.
        std::error_code ec;
        fs::remove(state.DataPath(kRunMarkFile), ec);
        if (ec) {
            if (putBackSystem()) return fail(ec.value());
            return unconfirmed(ec.value());
        }
        if (const int error = SyncFolder(state.DataFolder)) return unconfirmed(error);
    }
    out.committed = true;
    CloseFive(state);

    std::error_code ec;
    if (!batchPath.empty()) {
        // Should the batch not go, its marker stays for the next open to settle.
        fs::remove(batchPath, ec);
        if (!ec) fs::remove(batchPath + kCommitMarkerSuffix, ec);
    }
    out.copied = true;
    out.error = writeError;
    if (changed || SafetyCopyNeeded(state)) {
        // Taken while this copy still holds the update lock, so it is exactly this run's data.
        const int error = TakeSafetyCopy(state, &j);
        out.copied = error == 0;
        if (error != 0) out.error = error;
        if (out.copied) fs::remove(state.DataPath(kCopyPendingFile), ec);
    }
    SyncFolder(state.DataFolder);
    EndUpdate(state);
    return out;
}

SyslogRecord RunLogEntry(double amount, double date, std::string_view user,
                         std::string_view description) {
    SyslogRecord log{};
    log.Amount = amount;
    log.Date = date;
    log.UserCode.set(user);
    log.Description.set(description);
    return log;
}

std::string OutcomeMessage(const UpdateOutcome& outcome, std::string_view what) {
    if (outcome.incomplete) {
        return "Not every change could be written: " + FileErrorText(outcome.error);
    }
    if (outcome.uncertain) {
        // The disc may hold the run or not: the next update open settles which, and restores
        // the safety copy when the run is not whole.
        return std::string(what) + " could not be confirmed: " + FileErrorText(outcome.error) +
               "; the next update checks it against the safety copy";
    }
    if (!outcome.committed && !outcome.undone) {
        // Writes made in place (a reconciliation's marks) may stay when taking them back
        // fails too: saying nothing changed would then be false.
        return std::string(what) +
               " failed, and not every change could be taken back: " + FileErrorText(outcome.error);
    }
    if (!outcome.committed) {
        return std::string(what) + " failed, nothing was changed: " + FileErrorText(outcome.error);
    }
    if (!outcome.copied) {
        return std::string(what) +
               " done, but the safety copy failed: " + FileErrorText(outcome.error);
    }
    return std::string(what) + " completed";
}

void SettleCommitMarkers(RunState& state, bool locked) {
    std::error_code ec;
    std::vector<fs::path> markers;
    const std::string_view suffix = kCommitMarkerSuffix;
    for (const auto& entry : fs::directory_iterator(state.DataFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            markers.push_back(entry.path());
        }
    }
    if (markers.empty()) return;
    File lock;
    if (!locked) {
        if (!lock.Open(state.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadWrite) ||
            !lock.TryLockExclusive()) {
            return;
        }
    }
    // The total stored now, read afresh: an enquiry does not reload the system record.
    SystemRecord stored = state.System;
    if (!locked) {
        File sys;
        std::memset(RecordBytes(stored), 0, sizeof stored);
        const std::size_t got =
            sys.Open(state.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadOnly)
                ? sys.ReadAt(0, RecordBytes(stored), sizeof stored)
                : 0;
        ScrambleBytes(RecordBytes(stored), got);
        std::memset(RecordBytes(stored) + got, 0, sizeof stored - got);
    }
    const bool runCutShort = RunInProgress(state.DataFolder);
    for (const auto& marker : markers) {
        std::int32_t total = 0;
        File f;
        const bool read = f.Open(marker, File::Access::ReadOnly) &&
                          f.ReadAt(0, &total, sizeof total) == sizeof total;
        f.Close();
        // Equal totals and no run mark: the run committed and its batch is posted. Anything
        // else: it died before, its data is undone by the restore, and its batch stays.
        if (read && total == stored.ConsistencyTotal && !runCutShort) {
            std::string batch = marker.string();
            batch.resize(batch.size() - suffix.size());
            fs::remove(batch, ec);
        }
        fs::remove(marker, ec);
    }
    SyncFolder(state.DataFolder);
}

bool BatchLock::Take(const std::string& batchPath) {
    Release();
    path_ = batchPath + ".lock";
    // A holder that lets go removes the lock file, so a lock taken on a file that has just
    // lost its name is worth nothing: it counts only when the name still leads to it.
    for (int tries = 0; tries < 8; ++tries) {
        std::error_code ec;
        if (!fs::exists(path_, ec)) CreateEmptyFile(path_);
        if (!file_.Open(path_, File::Access::ReadWrite)) continue;
        if (!file_.TryLockExclusive()) break;
        if (file_.IsAt(path_)) return true;
        file_.Close();
    }
    file_.Close();
    path_.clear();
    return false;
}

void BatchLock::Release() {
    if (file_.IsOpen()) {
        std::error_code ec;
        fs::remove(path_, ec);  // while still held, so no one else can be using it
    }
    file_.Close();
}

bool RunInProgress(const std::string& dataFolder) {
    std::error_code ec;
    return fs::exists(dataFolder + kRunMarkFile, ec);
}

}  // namespace tessary
