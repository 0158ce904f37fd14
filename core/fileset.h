#pragma once
// Opening, creating, checking and safety-copying the data file set.

#include <string>
#include <vector>

#include "core/folder.h"
#include "core/state.h"

namespace tessary {

// Open and close modes: the system record alone; every file shared for reading; every file
// for an update under the lock; and the close of a year end, which stores a total of 0.
enum class FileSetMode { SystemOnly = 0, Enquiry = 1, Update = 2, YearEnd = 3 };
inline constexpr FileSetMode kSystemOnly = FileSetMode::SystemOnly;
inline constexpr FileSetMode kEnquiry = FileSetMode::Enquiry;
inline constexpr FileSetMode kUpdate = FileSetMode::Update;
inline constexpr FileSetMode kYearEnd = FileSetMode::YearEnd;

inline constexpr const char* kMsgFilesInUse = "Required files in use";
inline constexpr const char* kMsgInconsistent = "TS files are inconsistent";
inline constexpr const char* kMsgRestoreQuestion = "Restore them from the last backup ?";
inline constexpr const char* kMsgNoBackup = "No Backup available";
inline constexpr const char* kMsgRestoreCompleted = "Restore Completed";

// Fixes DataFolder under `dataHome` (the program folder when not given) and creates the folder
// when it has no sys.d32 yet; the templates come from `programFolder`.
void PrepareDataFolder(RunState& state, const std::string& programFolder,
                       const std::string& dataHome = {});

// Mode 2 returns whether the set was opened. Modes 0 and 1 return false only when a disc
// restore cut short could not be finished, so that the set may be mixed: nothing is opened.
bool OpenFileSet(RunState& state, FileSetMode mode);
void CloseFileSet(RunState& state, FileSetMode mode);
// Summed byte sizes of memlog.d32, nomlog.d32 and syslog.d32, from the open handles.
std::int32_t SumLogSizes(const RunState& state);

// Copies a file, replacing the target; never leaves the target half-written.
void CopyTemplate(const std::string& source, const std::string& target);
// Copies the six data files into DataFolder + "Backup/".
void BackupToFolder(RunState& state);
// Copies them back; says "No Backup available" when the safety copy has no sys.d32.
void RestoreFromFolder(RunState& state);
// Ends the program.
void ShutDown(RunState& state);

// Record helpers on the shared buffers and RecordNo; the set must be open.
std::size_t ReadMember(RunState& state);
bool WriteMember(RunState& state);
std::size_t ReadNominal(RunState& state);
bool WriteNominal(RunState& state);
// Every whole record of an open data file, in file order; a torn last record is left out.
template <typename Record>
std::vector<Record> ReadAllRecords(const File& file) {
    std::vector<Record> records(static_cast<std::size_t>(file.Size() / sizeof(Record)));
    if (records.empty()) return records;
    const std::size_t got = file.ReadAt(0, records.data(), records.size() * sizeof(Record));
    records.resize(got / sizeof(Record));
    return records;
}

// Number of member records in memacc.d32.
std::int32_t MemberCount(const RunState& state);

// Reads the system record from sys.d32 (which must be open) into the buffer and unscrambles
// it; what a short file lacks reads as zero. Returns the bytes read.
std::size_t LoadSystemRecord(RunState& state);
// Scrambles the buffer, writes it at offset 0 of `file` and leaves the buffer plain again.
[[nodiscard]] bool StoreSystemRecord(RunState& state, File& file);

}  // namespace tessary
