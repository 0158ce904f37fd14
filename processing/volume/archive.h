#pragma once
// The disc archiving tool's work, without its window: reading the parameter string that
// Tessary gives it, finding the disc folder of a drive letter, writing the archive of a data
// folder's ".d32" files and putting an archive's files back.
//
// Safe by construction: both directions hold the data folder's update lock (the lock Tessary
// takes on sys.d32) while they read or replace data files, and first settle a restore cut
// short; a backup archives only a set the program would open, under a temporary name renamed
// into place once it has been read back and compared; a restore checks every member and the
// set as a whole before it touches the data folder, then stages the new set with its safety
// copy and switches them in as one step (core/dataset.h).

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessary::volume {

// The tool leaves the outcome of its run in the data folder, for Tessary to read: "ok" or
// "failed" on the first line, the message shown on the second.
inline constexpr const char* kResultFile = "volume.res";

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

enum class Problem {
    None,
    NoDisc,
    NoArchive,
    Damaged,
    DiscFull,
    NoData,
    InUse,
    Inconsistent,
    Failed
};

struct Outcome {
    Problem problem = Problem::None;
    std::string message;
    int files = 0;
    bool ok() const { return problem == Problem::None; }
};

struct Options {
    std::string workingFolder = ".";  // what relative data folders are relative to
    std::string discFolder;           // overrides the drive's folder when not empty (tests)
    int lockWaitMs = 120000;          // how long to wait for Tessary to let go of the data
    // Progress: percent done (0 to 100) and what is being done.
    std::function<void(int, const std::string&)> progress;
};

// Runs the job and leaves its outcome in the data folder's result file (when there is a data
// folder to leave it in).
Outcome Run(const Job& job, const Options& options);

}  // namespace tessary::volume
