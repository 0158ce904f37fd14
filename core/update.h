#pragma once
// The one way data changes: every write to the data files is checked, a run either commits
// whole or is undone, the commit is marked so that a crash at any point is settled by the next
// open, and the safety copy is brought up to date before the update lock is let go.
//
// A run, in the order the engine calls it:
//   OpenFileSet(kUpdate)           lock, consistency check, settle, safety copy made current
//   BeginRun                       keep what the run overwrites
//   AppendData / WriteData ...     logs first, then records in place
//   CommitUpdate                   sync, commit marker, system record, safety copy, batch gone
// Any failed write makes CommitUpdate undo the run instead and report the failure.

#include <string>
#include <string_view>

#include "core/fileset.h"
#include "core/state.h"

namespace tessary {

// Checked writes to the open data files. A failure is remembered in the journal; the first
// one decides the outcome of the update.
bool WriteData(RunState& state, DataFile file, std::uint64_t offset, const void* bytes,
               std::size_t count);
bool AppendData(RunState& state, DataFile file, const void* bytes, std::size_t count);
// Cuts a file to `size` (year end empties the logs); undone by writing the tail back.
bool TruncateData(RunState& state, DataFile file, std::uint64_t size);
template <typename Record>
bool AppendRecord(RunState& state, DataFile file, const Record& record) {
    return AppendData(state, file, RecordBytes(record), sizeof record);
}

// Starts keeping what a run overwrites (the set must be open for update).
void BeginRun(RunState& state);
// Marks the run failed with `error` (for a fault found by the engine, not by a write).
void FailRun(RunState& state, int error);

struct UpdateOutcome {
    bool committed = false;   // the run's data is stored and vouched for by the new total
    bool copied = false;      // the safety copy holds it
    bool incomplete = false;  // committed, but some maintenance writes failed
    bool undone = false;      // not committed, and every change taken back
    bool uncertain = false;   // whether it committed is known only to the next open
    int error = 0;            // why not, when any of these went wrong
    bool ok() const { return committed && copied && !incomplete; }
};

// Ends an update: commits it (close mode 2, or 3 for year end: total 0) or, after a failed
// write, undoes it. With a batch path, the batch is deleted exactly when the run commits.
UpdateOutcome CommitUpdate(RunState& state, FileSetMode mode, const std::string& batchPath = "");

// The system log's entry for a run: what it did to the bank, on what day, by whom, and what
// it was.
SyslogRecord RunLogEntry(double amount, double date, std::string_view user,
                         std::string_view description);

// The user's message for the outcome of a run named `what` ("Posting", "Period end").
std::string OutcomeMessage(const UpdateOutcome& outcome, std::string_view what);

// A run's mark: made durably before the run's first write, and taken away as its commit. A
// set that still has it holds part of a run, whatever its total says; that covers runs that
// write no log (an import, a year end over empty logs).
inline constexpr const char* kRunMarkFile = "run.active";
bool RunInProgress(const std::string& dataFolder);

// A run's commit marker sits beside its batch, holding the total the commit stores.
inline constexpr const char* kCommitMarkerSuffix = ".posted";

// Settles the commit markers left by runs that died between their commit and the deletion of
// their batch. Needs the update lock: `locked` says whether the caller holds it; without it
// the lock is taken for the moment, and markers are left alone when another copy holds it
// (that copy's run is alive and settles its own).
void SettleCommitMarkers(RunState& state, bool locked);

// The safety copy: DataFolder + "Backup/", six files switched in as a whole.
inline constexpr const char* kSafetyFolder = "Backup";
// A file in the data folder saying that the data has changed since the safety copy was taken.
inline constexpr const char* kCopyPendingFile = "backup.pending";
// Beside the six files of the copy: the data files as they stood when it was taken, the copy's
// own files as written, and what the update that took it changed since the copy before.
inline constexpr const char* kCopyNoteFile = "copy.note";
// Takes the copy now (the caller holds the update lock); 0 or the error number. Given the
// journal of an update that opened on a current copy, the copy before that one (kept aside
// as DataFolder + "Backup.new") is brought forward by what the two updates changed; else, or
// where an update rewrote most of a file, files are copied whole.
int TakeSafetyCopy(RunState& state, const UpdateJournal* update = nullptr);
// Whether the copy is missing, incomplete, mixed, marked out of date, or not the data as it
// stands (changed outside an update: by a tool, a restore, a hand).
bool SafetyCopyNeeded(const RunState& state);
// Whether the copy has its six files and its own total matches its own logs.
bool SafetyCopyWhole(const RunState& state);

// A user's batch is held by one form or run at a time, across copies of the program.
inline constexpr const char* kMsgBatchInUse = "Batch in use by another copy of Tessary";
class BatchLock {
  public:
    // False when another form or copy of the program holds the batch.
    bool Take(const std::string& batchPath);
    // Lets go, taking the lock file away with it.
    void Release();
    bool Held() const { return file_.IsOpen(); }
    ~BatchLock() { Release(); }
    BatchLock() = default;
    BatchLock(BatchLock&&) = default;
    BatchLock& operator=(BatchLock&&) = default;

  private:
    File file_;
    std::string path_;
};

}  // namespace tessary
