#pragma once
// The disc archiving tool's work, without its window: reading the parameter string that
// Tessary gives it, finding the disc folder of a drive letter, writing the archive of a data
// folder's ".d32" files and putting an archive's files back.
//
// Safe by construction: both directions hold the data folder's update lock (the lock Tessary
// takes on sys.d32) while they read or replace data files; an archive is written under a
// temporary name and renamed into place only once it has been read back and compared; a
// restore checks every member before it touches the data folder, stages the new files beside
// the old ones and switches them in by renames, sys.d32 last, behind a marker that lets the
// next run finish a switch that was cut short.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessary::volume {

// The tool leaves the outcome of its run in the data folder, for Tessary to read: "ok" or
// "failed" on the first line, the message shown on the second.
inline constexpr const char* kResultFile = "volume.res";
// The restore's staged files, and the file that says all of them are in place.
inline constexpr const char* kStagingFolder = "restore.new";
inline constexpr const char* kStagedMarker = "COMPLETE";

struct Job {
    enum class Kind { Backup, Restore };
    Kind kind = Kind::Backup;
    char drive = 'A';
    std::string discPath;    // the folder on the disc, below its root ("CU1")
    std::string archive;     // the archive's file name in that folder ("CU1.zip")
    std::string dataFolder;  // the data folder, relative to the working folder ("CU1")
};

// Reads the arguments (the parameter string split as the platform splits it): a backup is
// /o D:\FOLDER NAME.zip "/p=zip NAME DATA\*.d32,del", a restore /i D:\FOLDER
// "/p=unzip -o NAME,del". Nothing, with `problem` set, for anything else.
std::optional<Job> ParseJob(const std::vector<std::string>& args, std::string& problem);

// The folder a drive letter stands for: TESSARY_DRIVE_A ... TESSARY_DRIVE_Z when set, else
// /media/USER/A ... /media/USER/Z, where the desktop mounts a removable medium labelled with
// the letter.
std::string DriveFolder(char drive);

enum class Problem { None, NoDisc, NoArchive, Damaged, DiscFull, NoData, InUse, Failed };

struct Outcome {
    Problem problem = Problem::None;
    std::string message;
    int files = 0;
    bool ok() const { return problem == Problem::None; }
};

struct Options {
    std::string workingFolder = ".";  // what relative data folders are relative to
    std::string discFolder;           // overrides the drive's folder when not empty
    int lockWaitMs = 120000;          // how long to wait for Tessary to let go of the data
    // Progress: percent done (0 to 100) and what is being done.
    std::function<void(int, const std::string&)> progress;
};

// Runs the job and leaves its outcome in the data folder's result file (when there is a data
// folder to leave it in).
Outcome Run(const Job& job, const Options& options);

// Finishes a restore's switch that was cut short (all files staged and marked), or throws
// away staging that never completed. The caller holds the update lock.
void SettleStaging(const std::string& dataFolder);

}  // namespace tessary::volume
