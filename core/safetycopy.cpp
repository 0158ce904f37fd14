// The safety copy. Two folders take turns: the live copy, and the one before it kept aside.
// An update that opened on a current copy changes the data by what its journal records, so
// the copy aside becomes current again by the ranges the last two updates changed, and is
// then exchanged with the live one in one step. Anything not known (no note, a note that does
// not match the files) is copied whole.

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <system_error>

#include "core/update.h"

namespace tessary {

namespace fs = std::filesystem;

namespace {

std::size_t Index(DataFile f) {
    return static_cast<std::size_t>(f);
}

fs::path SafetyPath(const RunState& state, const char* suffix = "") {
    return state.DataFolder + kSafetyFolder + suffix;
}

// What a copy's note holds.
struct CopyNote {
    std::uint64_t id = 0;    // this copy; never 0
    std::uint64_t base = 0;  // the copy it is `changed` ahead of; 0 when not known
    std::array<FileStamp, 6> data{}, copy{};
    std::array<ChangedRanges, 6> changed;
};

constexpr std::string_view kNoteHeading = "tessary copy 1\n";

void Put(std::string& out, std::uint64_t n) {
    out.append(reinterpret_cast<const char*>(&n), sizeof n);
}

bool Get(std::string_view& in, std::uint64_t& n) {
    if (in.size() < sizeof n) return false;
    std::memcpy(&n, in.data(), sizeof n);
    in.remove_prefix(sizeof n);
    return true;
}

void PutStamp(std::string& out, const FileStamp& s) {
    for (std::uint64_t n :
         {std::uint64_t{s.exists}, s.inode, s.size, static_cast<std::uint64_t>(s.mtime),
          static_cast<std::uint64_t>(s.ctime)}) {
        Put(out, n);
    }
}

bool GetStamp(std::string_view& in, FileStamp& s) {
    std::uint64_t exists = 0, mtime = 0, ctime = 0;
    if (!Get(in, exists) || !Get(in, s.inode) || !Get(in, s.size) || !Get(in, mtime) ||
        !Get(in, ctime)) {
        return false;
    }
    s.exists = exists != 0;
    s.mtime = static_cast<std::int64_t>(mtime);
    s.ctime = static_cast<std::int64_t>(ctime);
    return true;
}

std::string NoteBytes(const CopyNote& note) {
    std::string out(kNoteHeading);
    Put(out, note.id);
    Put(out, note.base);
    for (DataFile f : kDataFiles) PutStamp(out, note.data[Index(f)]);
    for (DataFile f : kDataFiles) PutStamp(out, note.copy[Index(f)]);
    for (DataFile f : kDataFiles) {
        const ChangedRanges& c = note.changed[Index(f)];
        Put(out, c.whole);
        Put(out, c.ranges.size());
        for (const auto& [begin, end] : c.ranges) {
            Put(out, begin);
            Put(out, end);
        }
    }
    Put(out, note.id);  // a note that ends with its own id was read to its end
    return out;
}

// False for a note that is missing or not whole: the copy is then of no known state.
bool ReadNote(const fs::path& folder, CopyNote& note) {
    std::string bytes;
    if (ReadWholeFile((folder / kCopyNoteFile).string(), bytes) != 0) return false;
    std::string_view in(bytes);
    if (!in.starts_with(kNoteHeading)) return false;
    in.remove_prefix(kNoteHeading.size());
    if (!Get(in, note.id) || note.id == 0 || !Get(in, note.base)) return false;
    for (DataFile f : kDataFiles) {
        if (!GetStamp(in, note.data[Index(f)])) return false;
    }
    for (DataFile f : kDataFiles) {
        if (!GetStamp(in, note.copy[Index(f)])) return false;
    }
    for (DataFile f : kDataFiles) {
        ChangedRanges& c = note.changed[Index(f)];
        std::uint64_t whole = 0, count = 0;
        if (!Get(in, whole) || !Get(in, count) || count > in.size() / 16) return false;
        c.whole = whole != 0;
        c.ranges.resize(static_cast<std::size_t>(count));
        for (auto& [begin, end] : c.ranges) {
            if (!Get(in, begin) || !Get(in, end)) return false;
        }
    }
    std::uint64_t last = 0;
    return Get(in, last) && last == note.id && in.empty();
}

std::array<FileStamp, 6> StampsIn(const fs::path& folder) {
    std::array<FileStamp, 6> stamps;
    for (DataFile f : kDataFiles) stamps[Index(f)] = StampOf(folder / DataFileName(f));
    return stamps;
}

std::uint64_t NewCopyId() {
    std::random_device random;
    const std::uint64_t id = (std::uint64_t{random()} << 32) ^ random();
    return id != 0 ? id : 1;
}

// File times come from a clock that ticks every few milliseconds, so a file changed in the
// tick its stamp was taken in would keep that stamp. Waits out the tick of `latest` (a time
// in nanoseconds); false when the clock did not pass it.
bool ClockPast(std::int64_t latest) {
    for (int tries = 0; tries < 100; ++tries) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec > latest) return true;
        ::usleep(1000);
    }
    return false;
}

// The ranges of a file of `size` bytes that `a` and `b` cover together, in order, merged and cut
// at the end; `whole` when they are the whole file or most of it.
ChangedRanges Together(const ChangedRanges& a, const ChangedRanges& b, std::uint64_t size) {
    ChangedRanges out;
    out.whole = a.whole || b.whole;
    if (out.whole) return out;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> all = a.ranges;
    all.insert(all.end(), b.ranges.begin(), b.ranges.end());
    std::sort(all.begin(), all.end());
    std::uint64_t covered = 0;
    for (auto [begin, end] : all) {
        end = std::min(end, size);
        if (begin >= end) continue;
        if (!out.ranges.empty() && begin <= out.ranges.back().second) {
            covered += std::max(end, out.ranges.back().second) - out.ranges.back().second;
            out.ranges.back().second = std::max(end, out.ranges.back().second);
        } else {
            covered += end - begin;
            out.ranges.emplace_back(begin, end);
        }
    }
    // Rewriting most of a file in place costs more than writing it anew.
    out.whole = covered > size / 2;
    return out;
}

// Makes `copy` equal to `source`, given that it differs only in `changed` and beyond its end.
int BringForward(const fs::path& source, const fs::path& copy, const ChangedRanges& changed) {
    File in, out;
    if (!in.Open(source, File::Access::ReadOnly)) return in.Error();
    const std::uint64_t size = in.Size();
    const FileStamp had = StampOf(copy);
    ChangedRanges tail;
    if (size > had.size) tail.Add(had.size, size);
    const ChangedRanges todo = Together(changed, tail, size);
    if (!had.exists || todo.whole) return WriteDurableCopy(source, copy);
    if (todo.ranges.empty() && had.size == size) return 0;  // untouched: stays as it is
    if (!out.Open(copy, File::Access::ReadWrite)) return out.Error();
    std::string buffer;
    for (auto [begin, end] : todo.ranges) {
        while (begin < end) {
            buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(end - begin, 1 << 20)));
            if (in.ReadAt(begin, buffer.data(), buffer.size()) != buffer.size()) return EIO;
            if (!out.WriteAt(begin, buffer.data(), buffer.size())) return out.Error();
            begin += buffer.size();
        }
    }
    if (had.size > size && !out.Truncate(size)) return out.Error();
    return out.Sync() ? 0 : out.Error();
}

}  // namespace

bool SafetyCopyNeeded(const RunState& state) {
    std::error_code ec;
    if (fs::exists(state.DataPath(kCopyPendingFile), ec) || !SafetyCopyWhole(state)) return true;
    // The copy must be the data as it stands: any file changed since the note was written, in
    // the data or in the copy, was changed by something other than an update.
    const fs::path live = SafetyPath(state);
    CopyNote note;
    if (!ReadNote(live, note) || StampsIn(live) != note.copy) return true;
    const std::array<FileStamp, 6> data = StampsIn(state.DataFolder);
    for (DataFile f : kDataFiles) {
        // sys.d32 is stored at every commit, changed or not: it is told by its bytes.
        if (f != DataFile::Sys && data[Index(f)] != note.data[Index(f)]) return true;
    }
    std::string sys, copied;
    return ReadWholeFile(state.DataPath(DataFileName(DataFile::Sys)), sys) != 0 ||
           ReadWholeFile((live / DataFileName(DataFile::Sys)).string(), copied) != 0 ||
           sys != copied;
}

bool SafetyCopyWhole(const RunState& state) {
    std::error_code ec;
    const std::string copy = SafetyPath(state).string() + "/";
    std::uint64_t logs = 0;
    for (DataFile f : kDataFiles) {
        const fs::path p = copy + DataFileName(f);
        if (!fs::is_regular_file(p, ec)) return false;
        if (f == DataFile::MemLog || f == DataFile::NomLog || f == DataFile::SysLog) {
            logs += fs::file_size(p, ec);
        }
    }
    // A copy whose own total does not match its own logs was not taken whole.
    SystemRecord copied;
    File sys;
    if (!sys.Open(copy + DataFileName(DataFile::Sys), File::Access::ReadOnly) ||
        sys.ReadAt(0, RecordBytes(copied), sizeof copied) != sizeof copied) {
        return false;
    }
    ScrambleSystemRecord(copied);
    const auto total = static_cast<std::int32_t>(static_cast<std::uint32_t>(logs));
    return copied.ConsistencyTotal == total;
}

int TakeSafetyCopy(RunState& state, const UpdateJournal* update) {
    const fs::path live = SafetyPath(state);
    const fs::path staged = SafetyPath(state, ".new");
    const fs::path old = SafetyPath(state, ".old");
    std::error_code ec;
    CopyNote before, aside;
    const bool haveLive = update && ReadNote(live, before);
    const bool forward = haveLive && before.base != 0 && ReadNote(staged, aside) &&
                         aside.id == before.base && StampsIn(staged) == aside.copy;
    int error = 0;
    if (forward) {
        // Without its note, a copy cut short here is never taken for the one it was.
        fs::remove(staged / kCopyNoteFile, ec);
        error = ec ? ec.value() : SyncFolder(staged);
        for (DataFile f : kDataFiles) {
            if (error != 0) break;
            ChangedRanges changed = update->changed[Index(f)];
            changed.whole = changed.whole || f == DataFile::Sys;  // one record, stored each time
            error = BringForward(state.DataPath(DataFileName(f)), staged / DataFileName(f),
                                 Together(before.changed[Index(f)], changed, UINT64_MAX));
        }
    } else {
        fs::remove_all(staged, ec);
        if (!fs::create_directory(staged, ec)) return ec ? ec.value() : EEXIST;
        for (DataFile f : kDataFiles) {
            error = WriteDurableCopy(state.DataPath(DataFileName(f)), staged / DataFileName(f));
            if (error != 0) break;
        }
    }
    if (error == 0) {
        // The new copy is the live one plus this update's changes; one taken without an update
        // has no known relation to the copy before it.
        CopyNote note;
        note.id = NewCopyId();
        note.base = haveLive ? before.id : 0;
        if (haveLive) note.changed = update->changed;
        note.data = StampsIn(state.DataFolder);
        note.copy = StampsIn(staged);
        std::int64_t latest = 0;
        for (DataFile f : kDataFiles) {
            if (f != DataFile::Sys) latest = std::max(latest, note.data[Index(f)].ctime);
        }
        // A data file's stamp that the clock has not yet passed could be taken again by a
        // change made outside an update.
        if (!ClockPast(latest)) note.data = {};
        error = WriteFileDurably(staged / kCopyNoteFile, NoteBytes(note));
    }
    if (error == 0) error = SyncFolder(staged);
    // A previous switch cut short through the third name leaves the last whole copy there.
    if (error == 0 && !fs::exists(live, ec)) fs::remove_all(old, ec);
    if (error == 0) error = SwitchFolders(staged, live, old, true);
    if (error == 0) error = SyncFolder(state.DataFolder);
    if (error != 0 && !forward) fs::remove_all(staged, ec);
    return error;
}

}  // namespace tessary
