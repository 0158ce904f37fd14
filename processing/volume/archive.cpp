#include "processing/volume/archive.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "core/dataset.h"
#include "core/drive.h"
#include "core/file.h"
#include "core/state.h"

namespace tessary::volume {

namespace fs = std::filesystem;

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string LowerText(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), Lower);
    return s;
}
bool EndsWithD32(const std::string& name) {
    return name.size() > 4 && LowerText(name.substr(name.size() - 4)) == ".d32";
}
std::string Slashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}
// A bare file or folder name: nothing that could climb out of the folder it is put in.
bool PlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

// "X:\PATH" into the drive and the path below its root.
bool SplitDrivePath(const std::string& text, char& drive, std::string& path) {
    if (text.size() < 3 || text[1] != ':' || (text[2] != '\\' && text[2] != '/')) return false;
    drive = Upper(text[0]);
    if (drive < 'A' || drive > 'Z') return false;
    path = Slashes(text.substr(3));
    while (!path.empty() && path.back() == '/') path.pop_back();
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (!PlainName(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

std::string StripDel(std::string text) {
    if (text.size() >= 4 && LowerText(text.substr(text.size() - 4)) == ",del") {
        text.resize(text.size() - 4);
    }
    return text;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

Outcome Fail(Problem problem, std::string message) {
    return Outcome{problem, std::move(message), 0};
}

// A write error's outcome: a full disc has a message of its own.
Outcome WriteFailure(int error, const std::string& what) {
    if (error == ENOSPC || error == EDQUOT) {
        return Fail(Problem::DiscFull, "The disc is full - " + what + " was not written");
    }
    return Fail(Problem::Failed, what + " could not be written: " + FileErrorText(error));
}

void Report(const Options& options, int percent, const std::string& step) {
    if (options.progress) options.progress(percent, step);
}

// Holds the data folder's update lock: Tessary takes the same lock on sys.d32 for every
// update, so while the tool holds it no run is halfway through the files.
class UpdateLock {
  public:
    // False when Tessary kept the lock for the whole wait.
    bool Take(const fs::path& sys, const Options& options) {
        if (!fs::exists(sys)) return true;  // no data set yet: nobody can be updating it
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(options.lockWaitMs);
        bool told = false;
        for (;;) {
            if (file_.Open(sys, File::Access::ReadWrite) && file_.TryLockExclusive()) return true;
            file_.Close();
            if (std::chrono::steady_clock::now() >= until) return false;
            if (!told) Report(options, 0, "Waiting for Tessary to finish with the data files");
            told = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

  private:
    File file_;
};

struct ZipCloser {
    void operator()(zip_t* z) const {
        if (z) zip_discard(z);
    }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

int ZipSystemError(zip_error_t* error) {
    return zip_error_code_system(error);
}

// Reads a whole member, checking its size and (by reading to its end) its CRC.
bool ReadMember(zip_t* z, zip_uint64_t index, std::uint64_t size, std::string& bytes) {
    zip_file_t* f = zip_fopen_index(z, index, 0);
    if (!f) return false;
    bytes.clear();
    bytes.reserve(size);
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(f, buffer, sizeof buffer);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > size) {
            ok = false;
            break;
        }
    }
    zip_fclose(f);
    return ok && bytes.size() == size;
}

struct Member {
    zip_uint64_t index;
    std::string file;  // the bare file name
    std::uint64_t size;
};

// Every member's name and size, when the archive is a backup of the data folder `folder`
// that this tool can read.
std::optional<std::vector<Member>> ListMembers(zip_t* z, const std::string& folder,
                                               std::string& why) {
    const zip_int64_t count = zip_get_num_entries(z, 0);
    std::vector<Member> members;
    std::set<std::string> names, folders;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !st.name ||
            (st.valid & ZIP_STAT_SIZE) == 0) {
            why = "a member cannot be read";
            return std::nullopt;
        }
        const std::string name = Slashes(st.name);
        const std::size_t slash = name.find('/');
        const std::string dir = slash == std::string::npos ? "" : name.substr(0, slash);
        const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
        if (PlainName(dir) && PlainName(file) && EndsWithD32(file)) folders.insert(dir);
        if (LowerText(dir) != LowerText(folder) || !PlainName(file) || !EndsWithD32(file)) {
            why = "it holds " + name + ", which is no data file of " + folder;
            continue;  // said once every member is known: it may be another folder's backup
        }
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
            why = "it is encrypted";
            return std::nullopt;
        }
        if ((st.valid & ZIP_STAT_COMP_METHOD) &&
            !zip_compression_method_supported(static_cast<zip_int32_t>(st.comp_method), 0)) {
            why = file + " is packed by a compression method (number " +
                  std::to_string(st.comp_method) + ") that this tool cannot read";
            return std::nullopt;
        }
        if (!names.insert(LowerText(file)).second) {
            why = "it holds " + file + " twice";
            return std::nullopt;
        }
        members.push_back({static_cast<zip_uint64_t>(i), file, st.size});
    }
    if (!why.empty()) {
        if (folders.size() == 1 && LowerText(*folders.begin()) != LowerText(folder) &&
            members.empty()) {
            why = "it is a backup of the data folder " + *folders.begin() + ", not of " + folder;
        }
        return std::nullopt;
    }
    // The six files of a data set: an archive without all of them is no backup of one.
    for (DataFile f : kDataFiles) {
        const char* required = DataFileName(f);
        if (!names.count(required)) {
            why = std::string("it has no ") + required;
            return std::nullopt;
        }
    }
    return members;
}

int SyncPath(const fs::path& path) {
    File f;
    if (!f.Open(path, File::Access::ReadOnly)) return f.Error();
    return f.Sync() ? 0 : f.Error();
}

// The ".d32" files of the data folder, by name.
std::vector<std::string> DataFiles(const fs::path& data) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(data, ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(ec) && EndsWithD32(name)) files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Removes what an earlier backup cut short left beside the archive: its temporary name, and
// the archiver's own temporary files made from it.
void RemoveLeftovers(const fs::path& disc, const std::string& archive) {
    const std::string prefix = TemporaryNameFor(archive).string();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(disc, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && entry.is_regular_file(ec)) fs::remove(entry.path(), ec);
    }
}

// Settles a restore cut short before the data is read or replaced.
Outcome Settle(const fs::path& data) {
    const SettleOutcome settled = SettleDiscRestore(data.string() + "/");
    if (settled.kind == SettleOutcome::Kind::Failed) {
        return Fail(Problem::Failed, settled.message);
    }
    return {};
}

Outcome Backup(const Job& job, const Options& options, const fs::path& disc, const fs::path& data) {
    const std::string where = std::string(1, job.drive) + ":\\" + job.discPath;
    if (!fs::is_directory(data)) return Fail(Problem::NoData, "No data folder " + job.dataFolder);
    std::error_code ec;
    fs::create_directories(disc, ec);
    if (ec) return WriteFailure(ec.value(), "The folder " + where);

    UpdateLock lock;
    if (!lock.Take(data / DataFileName(DataFile::Sys), options)) {
        return Fail(Problem::InUse, "The data files are in use by Tessary - try again later");
    }
    if (const Outcome settled = Settle(data); !settled.ok()) return settled;
    const std::vector<std::string> files = DataFiles(data);
    if (files.empty()) return Fail(Problem::NoData, "No data files in " + job.dataFolder);
    // A set the program would not open is no backup: restored, it could not be used.
    if (const std::string problem = DataFolderProblem(data.string() + "/"); !problem.empty()) {
        return Fail(Problem::Inconsistent, "The data files of " + job.dataFolder +
                                               " are not consistent (" + problem +
                                               ") - start Tessary first, so that it can put "
                                               "the data right; no backup was written");
    }

    const fs::path target = disc / job.archive;
    const fs::path temp = TemporaryNameFor(target);
    RemoveLeftovers(disc, job.archive);
    int zerr = 0;
    ZipPtr z(zip_open(temp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &zerr));
    if (!z) return WriteFailure(errno != 0 ? errno : EIO, "The archive " + job.archive);
    for (const std::string& file : files) {
        zip_source_t* source = zip_source_file(z.get(), (data / file).c_str(), 0, -1);
        if (!source || zip_file_add(z.get(), (job.dataFolder + "/" + file).c_str(), source,
                                    ZIP_FL_ENC_UTF_8) < 0) {
            if (source) zip_source_free(source);
            return Fail(Problem::Failed, file + " could not be read");
        }
    }
    struct Progress {
        const Options* options;
    } state{&options};
    zip_register_progress_callback_with_state(
        z.get(), 0.01,
        [](zip_t*, double done, void* ud) {
            Report(*static_cast<Progress*>(ud)->options, static_cast<int>(done * 80),
                   "Writing the archive");
        },
        nullptr, &state);
    Report(options, 0, "Writing the archive");
    if (zip_close(z.get()) != 0) {
        const int error = ZipSystemError(zip_get_error(z.get()));
        RemoveLeftovers(disc, job.archive);
        return WriteFailure(error != 0 ? error : EIO, "The archive " + job.archive);
    }
    z.release();

    // Read it back before it takes the old archive's place: a disc that lost a byte shows here.
    Report(options, 85, "Checking the archive");
    ZipPtr check(zip_open(temp.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &zerr));
    std::string why;
    const auto members = check ? ListMembers(check.get(), job.dataFolder, why) : std::nullopt;
    bool same = members && members->size() == files.size();
    for (std::size_t i = 0; same && i < members->size(); ++i) {
        std::string bytes;
        const Member& m = (*members)[i];
        same = ReadMember(check.get(), m.index, m.size, bytes) &&
               bytes.size() == fs::file_size(data / m.file, ec) && !ec;
        if (same) {
            File original;
            std::string disk(bytes.size(), '\0');
            same = original.Open(data / m.file, File::Access::ReadOnly) &&
                   original.ReadAt(0, disk.data(), disk.size()) == disk.size() && disk == bytes;
        }
    }
    check.reset();
    if (!same) {
        fs::remove(temp, ec);
        return Fail(Problem::Failed, "The archive written to " + where +
                                         " did not read back correctly - use another disc");
    }
    if (const int error = SyncPath(temp)) return WriteFailure(error, "The archive " + job.archive);
    if (const int error = RenamePath(temp, target)) {
        fs::remove(temp, ec);
        return WriteFailure(error, "The archive " + job.archive);
    }
    SyncFolder(disc);
    Report(options, 100, "Done");
    return Outcome{Problem::None,
                   "Backup completed: " + std::to_string(files.size()) + " files in " + where +
                       "\\" + job.archive,
                   static_cast<int>(files.size())};
}

Outcome Restore(const Job& job, const Options& options, const fs::path& disc,
                const fs::path& data) {
    const std::string where = std::string(1, job.drive) + ":\\" + job.discPath;
    const fs::path source = disc / job.archive;
    if (!fs::is_regular_file(source)) {
        return Fail(Problem::NoArchive, "There is no backup " + job.archive + " in " + where);
    }
    Report(options, 0, "Checking the archive");
    int zerr = 0;
    ZipPtr z(zip_open(source.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &zerr));
    const std::string damaged = "The backup " + job.archive + " in " + where + " is damaged";
    if (!z) return Fail(Problem::Damaged, damaged + " - nothing was restored");
    std::string why;
    const auto members = ListMembers(z.get(), job.dataFolder, why);
    if (!members) return Fail(Problem::Damaged, damaged + " (" + why + ") - nothing was restored");

    // Every member is read whole, its size and CRC checked, and the set checked as the
    // program would open it, before anything in the data folder changes.
    std::map<std::string, std::string> files;
    for (std::size_t i = 0; i < members->size(); ++i) {
        const Member& m = (*members)[i];
        Report(options, static_cast<int>(50 * i / members->size()), "Reading " + m.file);
        std::string bytes;
        if (!ReadMember(z.get(), m.index, m.size, bytes)) {
            return Fail(Problem::Damaged,
                        damaged + " (" + m.file + " does not check) - nothing was restored");
        }
        files[LowerText(m.file)] = std::move(bytes);
    }
    z.reset();
    if (const std::string problem = DataSetProblem(files); !problem.empty()) {
        return Fail(Problem::Damaged, "The backup " + job.archive + " in " + where +
                                          " holds no usable data set (" + problem +
                                          ") - nothing was restored");
    }

    std::error_code ec;
    fs::create_directories(data, ec);
    if (ec) return WriteFailure(ec.value(), "The data folder " + job.dataFolder);
    UpdateLock lock;
    if (!lock.Take(data / DataFileName(DataFile::Sys), options)) {
        return Fail(Problem::InUse, "The data files are in use by Tessary - try again later");
    }
    if (const Outcome settled = Settle(data); !settled.ok()) return settled;
    Report(options, 60, "Writing the restored files beside the data");
    if (const int error = StageDiscRestore(data.string() + "/", files)) {
        return WriteFailure(error, "The restored files");
    }
    // Committed: from here on the restore is finished, now or by the next open of the data.
    Report(options, 90, "Replacing the data files");
    const std::string done = "Restore completed: " + std::to_string(members->size()) +
                             " files from " + where + "\\" + job.archive;
    const SettleOutcome settled = SettleDiscRestore(data.string() + "/");
    if (settled.kind == SettleOutcome::Kind::Failed) {
        return Outcome{Problem::None,
                       done + ", but not every file could be put in place yet (" +
                           FileErrorText(settled.error) +
                           "): Tessary puts them in place when it is next started",
                       static_cast<int>(members->size())};
    }
    Report(options, 100, "Done");
    return Outcome{Problem::None, done, static_cast<int>(members->size())};
}

}  // namespace

std::optional<Job> ParseJob(const std::vector<std::string>& args, std::string& problem) {
    Job job;
    const auto bad = [&](const std::string& why) -> std::optional<Job> {
        problem = why;
        return std::nullopt;
    };
    if (args.empty()) return bad("No task given: /o backs up, /i restores");
    const std::string verb = LowerText(args[0]);
    if (verb == "/o") {
        if (args.size() != 4) return bad("A backup needs a disc folder, an archive and /p=zip");
        job.kind = Job::Kind::Backup;
        if (!SplitDrivePath(args[1], job.drive, job.discPath)) {
            return bad("No disc folder in " + args[1]);
        }
        job.archive = args[2];
        const std::vector<std::string> words = Words(StripDel(args[3]));
        if (words.size() != 3 || LowerText(words[0]) != "/p=zip") {
            return bad("Not an archiver command: " + args[3]);
        }
        const std::string pattern = Slashes(words[2]);
        const std::size_t slash = pattern.rfind('/');
        if (slash == std::string::npos || LowerText(pattern.substr(slash + 1)) != "*.d32") {
            return bad("Only the .d32 files can be archived: " + words[2]);
        }
        job.dataFolder = pattern.substr(0, slash);
        if (!PlainName(job.dataFolder) || LowerText(words[1] + ".zip") != LowerText(job.archive)) {
            return bad("Not an archiver command: " + args[3]);
        }
    } else if (verb == "/i") {
        if (args.size() != 3) return bad("A restore needs a disc folder and /p=unzip");
        job.kind = Job::Kind::Restore;
        if (!SplitDrivePath(args[1], job.drive, job.discPath)) {
            return bad("No disc folder in " + args[1]);
        }
        const std::vector<std::string> words = Words(StripDel(args[2]));
        if (words.size() != 3 || LowerText(words[0]) != "/p=unzip" || words[1] != "-o") {
            return bad("Not an archiver command: " + args[2]);
        }
        job.dataFolder = words[2];
        job.archive = words[2] + ".zip";
    } else {
        return bad("Unknown task " + args[0] + ": /o backs up, /i restores");
    }
    if (!PlainName(job.dataFolder) || !PlainName(job.archive)) return bad("Bad folder name");
    return job;
}

Outcome Run(const Job& job, const Options& options) {
    const fs::path working(options.workingFolder);
    const fs::path data = working / job.dataFolder;
    Drive drive = FindDrive(job.drive);
    if (!options.discFolder.empty()) {
        std::error_code ec;
        drive.folder = options.discFolder;
        drive.available = fs::is_directory(drive.folder, ec);
    }
    const std::string driveFolder = drive.folder;
    Outcome outcome;
    if (!drive.available) {
        outcome = Fail(Problem::NoDisc, std::string("There is no disc in drive ") + job.drive +
                                            ": (nothing mounted on " + driveFolder + ")");
    } else {
        const fs::path disc = fs::path(driveFolder) / job.discPath;
        outcome = job.kind == Job::Kind::Backup ? Backup(job, options, disc, data)
                                                : Restore(job, options, disc, data);
    }
    if (fs::is_directory(data)) {
        WriteFileDurably(data / kResultFile,
                         (outcome.ok() ? "ok\n" : "failed\n") + outcome.message + "\n");
    }
    return outcome;
}

}  // namespace tessary::volume
