#pragma once
// The data set seen from outside an update run: whether a folder's files (or files about to
// become them) are a set the program would open, and the disc restore, which replaces the
// whole set in one step.
//
// A disc restore, in the order the archiving tool calls it:
//   DataSetProblem                  every file of the archive checked before anything moves
//   StageDiscRestore                the new set and its safety copy written beside the data,
//                                   then the marker that commits the restore
//   SettleDiscRestore               the switch; any later open of the data calls it first, so
//                                   a switch cut short is finished before anything reads the
//                                   set, and staging that never completed is thrown away

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace tessary {

// The restore's staged files (and their safety copy in kSafetyFolder below them), and the
// file that says all of them are in place.
inline constexpr const char* kStagingFolder = "restore.new";
inline constexpr const char* kStagedMarker = "COMPLETE";

// What is wrong with a set of data files given by name ("sys.d32" ...) and bytes, as the
// program would find it on opening them; "" when nothing is. Each of the six files must be
// there, hold whole records, sys.d32 one readable system record and nomacc.d32 the whole
// ledger, and the stored consistency total must equal the logs' sizes.
std::string DataSetProblem(const std::map<std::string, std::string>& files);
// The same from the facts the check needs: each file's size by name, the bytes of sys.d32 and
// the first entry of syslog.d32 (which can waive the total's check, as on opening).
struct DataSetFacts {
    std::map<std::string, std::uint64_t> sizes;
    std::string sys;
    std::string syslogHead;
};
std::string DataSetProblem(const DataSetFacts& set);
// The same for the files of a data folder (ending in "/"), as they stand.
std::string DataFolderProblem(const std::string& dataFolder);

// Writes `files` (the six, checked) and a safety copy of them into the staging folder of
// `dataFolder`, durably, then commits the restore with the marker. The caller holds the update
// lock. 0 or the error number; on an error nothing is committed and the staging is gone.
int StageDiscRestore(const std::string& dataFolder,
                     const std::map<std::string, std::string>& files);

struct SettleOutcome {
    enum class Kind { Nothing, Finished, Dropped, Failed };
    Kind kind = Kind::Nothing;
    int error = 0;        // why a switch could not be finished (Failed)
    std::string message;  // for the user, when something was done or went wrong
};
// Finishes a committed restore's switch, or throws away staging that was never committed or
// that the data has outgrown (changed since the restore was staged). The caller holds the
// update lock. On Failed the set may be mixed: nothing may read it until a later settle
// finishes.
SettleOutcome SettleDiscRestore(const std::string& dataFolder);

}  // namespace tessary
