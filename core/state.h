#pragma once
// Everything that lives for one run of the program, in one object: the shared record
// buffers and record number, the open file set, the folders, and the values fixed at
// sign-on. A test makes a fresh one; a form is handed the one it works on by reference.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/desk.h"
#include "core/file.h"
#include "core/records.h"

namespace tessary {

// The six data files, in the order they are opened, closed and copied.
enum class DataFile { Sys, MemAcc, MemLog, NomAcc, NomLog, SysLog };
inline constexpr std::array<DataFile, 6> kDataFiles = {DataFile::Sys,    DataFile::MemAcc,
                                                       DataFile::MemLog, DataFile::NomAcc,
                                                       DataFile::NomLog, DataFile::SysLog};
// The one place the data files are named.
constexpr const char* DataFileName(DataFile file) {
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

// The open handles of the data file set. Closed between commands.
struct FileSet {
    std::array<File, 6> files;
    File& operator[](DataFile f) { return files[static_cast<std::size_t>(f)]; }
    const File& operator[](DataFile f) const { return files[static_cast<std::size_t>(f)]; }
};

// The byte ranges of one file that an update changed, in the order written, neighbours
// merged; past a limit only that the whole file changed. A cut counts from its point to the
// end, however far the file grows again.
struct ChangedRanges {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;  // [begin, end)
    bool whole = false;
    void Add(std::uint64_t begin, std::uint64_t end) {
        if (whole || begin >= end) return;
        if (!ranges.empty() && begin >= ranges.back().first && begin <= ranges.back().second) {
            ranges.back().second = std::max(ranges.back().second, end);
            return;
        }
        ranges.emplace_back(begin, end);
        // A note of this many ranges would cost more than copying what they cover.
        if (ranges.size() > 100000) {
            whole = true;
            ranges.clear();
        }
    }
};

// What an open for update has written, so that a run can be undone or its failure reported.
struct UpdateJournal {
    bool open = false;       // the set is open for update
    bool recording = false;  // a run keeps what it overwrites, to undo it on failure
    bool pending = false;    // this update has marked the safety copy out of date
    bool runMarked = false;  // this run has made its run mark, which its commit takes away
    int error = 0;           // the error number of the first write that failed, 0 when none
    std::array<std::uint64_t, 6> sizes{};  // file sizes when the run began
    struct Undo {
        DataFile file;
        std::uint64_t offset;
        std::string bytes;
    };
    std::vector<Undo> undo;  // overwritten bytes, oldest first
    // Bytes read ahead of the run's writes, so that a run rewriting neighbouring records reads
    // what it overwrites in large pieces. Only a position's first write needs them as they
    // were, and nothing the run has written can be in them then.
    struct Ahead {
        DataFile file = DataFile::Sys;
        std::uint64_t offset = 0;
        std::string bytes;
    } ahead;
    std::array<ChangedRanges, 6> changed;  // every write of the update, for the safety copy
    std::string loadedSystem;              // the system record as the open read it, plain
};

struct RunState {
    // The one in-memory record of each kind, and the record number the helpers use. Each
    // buffer starts on an 8-byte boundary so its 8-aligned Double fields are aligned.
    alignas(8) SystemRecord System;  // always plain in memory
    alignas(8) MemberRecord Member;
    alignas(8) MemberLogEntry MemberLog;
    alignas(8) MemberTransaction MemberTrans;
    alignas(8) NominalAccountRecord Nominal;
    alignas(8) NominalLogEntry NominalLog;
    alignas(8) NominalTransaction NominalTrans;
    alignas(8) SyslogRecord Syslog;
    std::int32_t RecordNo = 0;

    // Folders: the program folder holds the templates; DataFolder ends with "/".
    std::string ProgramFolder;
    std::string FolderName = "CU1";
    std::string DataFolder;
    bool PatchMode = false;
    FileSet Files;
    UpdateJournal Update;

    // Values fixed at sign-on.
    double WorkingDate = 0;
    std::string WorkingDateText;
    std::string WorkingDayName;
    std::string TodayText;
    std::string UserCode;
    std::int32_t UserLevel = 0;
    // The run's loan interest rates, always those of the system record in memory, so a rate
    // changed in set-up counts from then on.
    double DailyRate() const { return DailyInterestRate(System); }
    double MonthlyRate() const { return MonthlyInterestRate(System); }

    // The main window's run-wide values.
    int CommandCode = 0;
    bool BatchChecked = false;
    bool NewPeriodReminder = true;
    // The signed-on user's report work file while a report is being written, and the member
    // type pattern of the last member report (it goes into some report titles).
    File ReportWork;
    // Report lines not yet written to the work file: a report is written in large pieces.
    std::string ReportPending;
    // The first error writing the report in hand to the work file (0: all of it is there).
    int ReportWorkError = 0;
    std::string ReportTypePattern;
    // The file last chosen in the report viewer's save dialog, for "Edit Filed Report".
    std::string LastFiledReport;
    // Set when a backup to disc started in this run has been reported done by the tool;
    // pending while the tool's report of a started backup is still to be read.
    bool BackedUp = false;
    bool BackupPending = false;

    // The main window's message line and prompt; must be set before the file set is used.
    Desk* desk = nullptr;

    // Path of a file in the data folder.
    std::string DataPath(std::string_view name) const { return DataFolder + std::string(name); }
};

}  // namespace tessary
