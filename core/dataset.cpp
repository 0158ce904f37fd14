#include "core/dataset.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "core/file.h"
#include "core/state.h"
#include "core/update.h"

namespace tessary {

namespace fs = std::filesystem;

namespace {

struct FileRule {
    DataFile file;
    std::size_t record;  // the size of one record
    const char* what;    // what the records are, for the message
};
constexpr FileRule kRules[] = {
    {DataFile::Sys, kSystemRecordSize, "system record"},
    {DataFile::MemAcc, kMemberRecordSize, "member records"},
    {DataFile::MemLog, kMemberLogEntrySize, "member log entries"},
    {DataFile::NomAcc, kNominalAccountRecordSize, "nominal accounts"},
    {DataFile::NomLog, kNominalLogEntrySize, "nominal log entries"},
    {DataFile::SysLog, kSyslogRecordSize, "system log entries"},
};
constexpr std::size_t kLedgerSize = 160 * kNominalAccountRecordSize;
static_assert(kLedgerSize == 9600);

bool IsLog(DataFile f) {
    return f == DataFile::MemLog || f == DataFile::NomLog || f == DataFile::SysLog;
}

std::string Bytes(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

// Where a file stands on disc: enough to tell it from any file put in its place or changed
// since.
struct Identity {
    bool exists = false;
    std::uint64_t inode = 0, size = 0;
    std::int64_t mtime = 0;  // nanoseconds
    bool operator==(const Identity&) const = default;
};

Identity IdentityOf(const fs::path& path) {
    const FileStamp s = StampOf(path);
    return {s.exists, s.inode, s.size, s.mtime};
}

// The restore's marker: each live file as it stood when the restore was staged, and the
// staged files and safety copy that are to take their places.
struct Marker {
    std::map<std::string, Identity> old;
    std::map<std::string, std::uint64_t> staged;
    std::uint64_t copy = 0;
};

constexpr const char* kMarkerHeading = "tessary restore 1";

std::string MarkerText(const Marker& m) {
    std::string text = std::string(kMarkerHeading) + "\n";
    for (const auto& [name, id] : m.old) {
        text += "old " + name + " " + std::to_string(id.exists) + " " + std::to_string(id.inode) +
                " " + std::to_string(id.size) + " " + std::to_string(id.mtime) + "\n";
    }
    for (const auto& [name, inode] : m.staged) {
        text += "new " + name + " " + std::to_string(inode) + "\n";
    }
    text += "copy " + std::to_string(m.copy) + "\n";
    return text;
}

template <typename N>
bool ReadNumber(std::istringstream& in, N& n) {
    std::string word;
    if (!(in >> word)) return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
    return ec == std::errc{} && end == word.data() + word.size();
}

// False for a marker that is not whole: a restore whose commit never completed.
bool ParseMarker(const std::string& text, Marker& m) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kMarkerHeading) return false;
    bool copy = false;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string kind, name;
        in >> kind;
        if (kind == "copy") {
            copy = ReadNumber(in, m.copy);
            if (!copy) return false;
            continue;
        }
        in >> name;
        if (kind == "old") {
            Identity id;
            int exists = 0;
            if (!ReadNumber(in, exists) || !ReadNumber(in, id.inode) || !ReadNumber(in, id.size) ||
                !ReadNumber(in, id.mtime)) {
                return false;
            }
            id.exists = exists != 0;
            m.old[name] = id;
        } else if (kind == "new") {
            if (!ReadNumber(in, m.staged[name])) return false;
        } else {
            return false;
        }
    }
    if (!copy || m.old.size() != kDataFiles.size() || m.staged.size() != kDataFiles.size()) {
        return false;
    }
    for (DataFile f : kDataFiles) {
        if (!m.old.count(DataFileName(f)) || !m.staged.count(DataFileName(f))) return false;
    }
    return true;
}

// The first `limit` bytes of a file (all of a small one).
std::string ReadSmallFile(const fs::path& path, std::uint64_t limit = 1 << 20) {
    File f;
    if (!f.Open(path, File::Access::ReadOnly)) return {};
    std::string bytes(static_cast<std::size_t>(std::min(f.Size(), limit)), '\0');
    bytes.resize(f.ReadAt(0, bytes.data(), bytes.size()));
    return bytes;
}

// Writes a file of the staging: no temporary name, as nothing reads the staging before its
// marker says it is whole.
int WriteStaged(const fs::path& path, std::string_view bytes) {
    if (!CreateEmptyFile(path)) return errno != 0 ? errno : EIO;
    File out;
    if (out.Open(path, File::Access::ReadWrite) && out.Truncate(0) &&
        out.WriteAt(0, bytes.data(), bytes.size()) && out.Sync()) {
        return 0;
    }
    return out.Error() != 0 ? out.Error() : EIO;
}

SettleOutcome Dropped(const fs::path& staging, const fs::path& data, std::string message) {
    std::error_code ec;
    fs::remove_all(staging, ec);
    SyncFolder(data);
    return {SettleOutcome::Kind::Dropped, 0, std::move(message)};
}

}  // namespace

std::string DataSetProblem(const DataSetFacts& set) {
    std::uint64_t logs = 0;
    for (const FileRule& rule : kRules) {
        const std::string name = DataFileName(rule.file);
        const auto found = set.sizes.find(name);
        if (found == set.sizes.end()) return name + " is missing";
        const std::uint64_t size = found->second;
        if (rule.file == DataFile::Sys && size != kSystemRecordSize) {
            return name + " is " + Bytes(size) + ", not one system record of " +
                   Bytes(kSystemRecordSize);
        }
        if (rule.file == DataFile::NomAcc && size != kLedgerSize) {
            return name + " is " + Bytes(size) + ", not the 160 nominal accounts of " +
                   Bytes(kLedgerSize);
        }
        if (size % rule.record != 0) {
            return name + " is " + Bytes(size) + ", not whole " + rule.what + " of " +
                   Bytes(rule.record);
        }
        if (IsLog(rule.file)) logs += size;
    }
    if (set.sys.size() != kSystemRecordSize) return "sys.d32 cannot be read";
    SystemRecord sys;
    std::memcpy(RecordBytes(sys), set.sys.data(), sizeof sys);
    ScrambleSystemRecord(sys);
    if (sys.PeriodNumber < 1 || sys.PeriodNumber > 13) {
        return "sys.d32 cannot be read (period number " + std::to_string(sys.PeriodNumber) + ")";
    }
    const auto total = static_cast<std::int32_t>(static_cast<std::uint32_t>(logs));
    // The check can be waived by a mark in the system log's first entry, as on opening.
    const bool waived =
        set.syslogHead.size() > kWaiverOffset && set.syslogHead[kWaiverOffset] == '*';
    if (sys.ConsistencyTotal != total && !waived) {
        return "its consistency total " + std::to_string(sys.ConsistencyTotal) +
               " does not match its logs' " + Bytes(logs);
    }
    return {};
}

std::string DataSetProblem(const std::map<std::string, std::string>& files) {
    DataSetFacts set;
    for (const auto& [name, bytes] : files) set.sizes[name] = bytes.size();
    if (const auto sys = files.find(DataFileName(DataFile::Sys)); sys != files.end())
        set.sys = sys->second;
    if (const auto log = files.find(DataFileName(DataFile::SysLog)); log != files.end()) {
        set.syslogHead = log->second.substr(0, kSyslogRecordSize);
    }
    return DataSetProblem(set);
}

std::string DataFolderProblem(const std::string& dataFolder) {
    if (RunInProgress(dataFolder)) return "a run was cut short in it";
    DataSetFacts set;
    for (DataFile f : kDataFiles) {
        const fs::path path = dataFolder + DataFileName(f);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) continue;
        set.sizes[DataFileName(f)] = fs::file_size(path, ec);
    }
    set.sys = ReadSmallFile(dataFolder + DataFileName(DataFile::Sys));
    set.syslogHead = ReadSmallFile(dataFolder + DataFileName(DataFile::SysLog), kSyslogRecordSize);
    return DataSetProblem(set);
}

int StageDiscRestore(const std::string& dataFolder,
                     const std::map<std::string, std::string>& files) {
    const fs::path data(dataFolder);
    const fs::path staging = data / kStagingFolder;
    const fs::path copy = staging / kSafetyFolder;
    std::error_code ec;
    fs::remove_all(staging, ec);
    fs::create_directories(copy, ec);
    if (ec) return ec.value();
    Marker marker;
    int error = 0;
    for (DataFile f : kDataFiles) {
        const std::string name = DataFileName(f);
        marker.old[name] = IdentityOf(data / name);
        const std::string& bytes = files.at(name);
        if (error == 0) error = WriteStaged(staging / name, bytes);
        if (error == 0) error = WriteStaged(copy / name, bytes);
        marker.staged[name] = IdentityOf(staging / name).inode;
    }
    marker.copy = IdentityOf(copy).inode;
    if (error == 0) error = SyncFolder(copy);
    if (error == 0) error = SyncFolder(staging);
    // Should the restore be dropped later, its safety copy may already have been switched
    // in: the next update then takes a copy of the data as it stands.
    const fs::path pending = data / kCopyPendingFile;
    if (error == 0 && !fs::exists(pending, ec) && !CreateEmptyFile(pending)) {
        error = errno != 0 ? errno : EIO;
    }
    if (error == 0) error = SyncFolder(data);
    // The marker's rename is the commit.
    if (error == 0) error = WriteFileDurably(staging / kStagedMarker, MarkerText(marker));
    if (error != 0) fs::remove_all(staging, ec);
    return error;
}

SettleOutcome SettleDiscRestore(const std::string& dataFolder) {
    const fs::path data(dataFolder);
    const fs::path staging = data / kStagingFolder;
    std::error_code ec;
    if (!fs::exists(staging, ec)) return {};
    Marker m;
    if (!ParseMarker(ReadSmallFile(staging / kStagedMarker), m)) {
        return Dropped(staging, data, "");  // never committed: the data is as it was
    }
    const auto failed = [](int error) {
        return SettleOutcome{SettleOutcome::Kind::Failed, error,
                             "A restore from disc could not be finished: " + FileErrorText(error) +
                                 " - the data files cannot be used until it is"};
    };
    // The marker must be on disc before the first file moves.
    if (const int error = SyncFolder(staging)) return failed(error);

    // Each file is either still the one the restore found, or already the one it staged.
    // Anything else means the data changed after the restore was committed, by something that
    // did not finish it first: finishing it now would undo that work.
    bool allSwitched = true, outgrown = false;
    std::vector<std::string> pending;
    for (DataFile f : kDataFiles) {
        if (f == DataFile::Sys) continue;
        const std::string name = DataFileName(f);
        const Identity live = IdentityOf(data / name);
        if (live.exists && live.inode == m.staged[name]) continue;
        allSwitched = false;
        pending.push_back(name);
        if (!(live == m.old[name])) outgrown = true;
    }
    // sys.d32 is rewritten in place (it carries the update lock), so it is told by its bytes;
    // it goes last, so a rewrite cut short shows only once every other file is in.
    const std::string stagedSys = ReadSmallFile(staging / DataFileName(DataFile::Sys));
    const bool sysSwitched = ReadSmallFile(data / DataFileName(DataFile::Sys)) == stagedSys;
    if (!sysSwitched &&
        !(IdentityOf(data / DataFileName(DataFile::Sys)) == m.old[DataFileName(DataFile::Sys)]) &&
        !allSwitched) {
        outgrown = true;
    }
    if (outgrown) {
        return Dropped(staging, data,
                       "A restore from disc that was cut short was not finished: the data files "
                       "have changed since it began");
    }
    for (const std::string& name : pending) {
        if (const int error = RenamePath(staging / name, data / name)) return failed(error);
    }
    if (IdentityOf(data / kSafetyFolder).inode != m.copy) {
        const std::string live = (data / kSafetyFolder).string();
        if (const int error = SwitchFolders(staging / kSafetyFolder, live, live + ".old")) {
            return failed(error);
        }
    }
    if (!sysSwitched) {
        if (const int error = ReplaceContentsInPlace(staging / DataFileName(DataFile::Sys),
                                                     data / DataFileName(DataFile::Sys))) {
            return failed(error);
        }
    }
    if (const int error = SyncFolder(data)) return failed(error);
    // The set and its safety copy are the restored set, whole: no run of the old one is left.
    fs::remove(data / kRunMarkFile, ec);
    fs::remove(data / kCopyPendingFile, ec);
    fs::remove_all(staging, ec);
    SyncFolder(data);
    return {SettleOutcome::Kind::Finished, 0, ""};
}

}  // namespace tessary
