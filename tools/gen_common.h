#pragma once
// What the generator's parts share: its own random draws and the staged writing of a file.

#include <array>
#include <cstdint>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "core/file.h"

namespace tessary::gen {

// The engine's raw output is fixed by the standard; the distributions of the standard
// library are not, so the draws below are made here to keep a seed's data the same
// everywhere.
class Random {
  public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    // A whole number in [lo, hi].
    std::int64_t Between(std::int64_t lo, std::int64_t hi) {
        const auto range = static_cast<std::uint64_t>(hi - lo) + 1;
        const auto wide = static_cast<unsigned __int128>(engine_()) * range;
        return lo + static_cast<std::int64_t>(static_cast<std::uint64_t>(wide >> 64));
    }
    // A real number in [0, 1).
    double Unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    bool Chance(double p) { return Unit() < p; }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(Between(0, static_cast<std::int64_t>(N) - 1))];
    }
    std::size_t Index(std::size_t size) {
        return static_cast<std::size_t>(Between(0, static_cast<std::int64_t>(size) - 1));
    }

  private:
    std::mt19937_64 engine_;
};

// Writes a file under a temporary name beside `target` and renames it into place, so that a
// failure never leaves half a file under the real name.
class StagedFile {
  public:
    explicit StagedFile(std::filesystem::path target) : target_(std::move(target)) {
        temp_ = TemporaryNameFor(target_);
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
        ok_ = CreateEmptyFile(temp_) && out_.Open(temp_, File::Access::ReadWrite);
    }
    ~StagedFile() {
        if (!done_) {
            out_.Close();
            std::error_code ec;
            std::filesystem::remove(temp_, ec);
        }
    }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void Write(const void* bytes, std::size_t count) {
        ok_ = ok_ && out_.WriteAt(offset_, bytes, count);
        offset_ += count;
    }
    std::uint64_t Written() const { return offset_; }
    bool Commit() {
        ok_ = ok_ && out_.Sync();
        out_.Close();
        std::error_code ec;
        if (ok_) std::filesystem::rename(temp_, target_, ec);
        done_ = ok_ && !ec;
        return done_;
    }

  private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    File out_;
    std::uint64_t offset_ = 0;
    bool ok_ = false;
    bool done_ = false;
};

// Records appended to a staged file a few thousand at a time.
template <typename Record>
class RecordWriter {
  public:
    explicit RecordWriter(std::filesystem::path target) : file_(std::move(target)) {
        chunk_.reserve(kChunk);
    }
    void Add(const Record& r) {
        chunk_.push_back(r);
        ++count_;
        if (chunk_.size() == kChunk) Flush();
    }
    std::uint64_t Count() const { return count_; }
    std::uint64_t Bytes() const { return count_ * sizeof(Record); }
    bool Commit() {
        Flush();
        return file_.Commit();
    }

  private:
    static constexpr std::size_t kChunk = 8192;
    void Flush() {
        if (!chunk_.empty()) file_.Write(chunk_.data(), chunk_.size() * sizeof(Record));
        chunk_.clear();
    }
    StagedFile file_;
    std::vector<Record> chunk_;
    std::uint64_t count_ = 0;
};

}  // namespace tessary::gen
