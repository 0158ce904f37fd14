#pragma once
// A user's unposted batch: member or nominal transactions, one file of whole records per user
// and kind, read and written the same way for both.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "core/state.h"

namespace tessary {

enum class BatchKind { Members, Nominal };

// A user's batch file name: the user code and "MEM.t32" or "NOM.t32".
std::string BatchFileName(std::string_view userCode, BatchKind kind);
// The signed-on user's batch in the data folder.
std::string BatchPath(const RunState& state, BatchKind kind);

// Beyond this many entries a file is no batch anyone keyed.
inline constexpr std::uint64_t kMaxBatchEntries = 10'000'000;

template <typename Entry>
struct Batch {
    std::vector<Entry> entries;  // whole records as stored; a trailing part record is left out
    int error = 0;               // why it could not be read (not an ordinary file, too large), or 0
};

// The whole batch at `path`. A missing batch is empty. Entry is MemberTransaction or
// NominalTransaction.
template <typename Entry>
Batch<Entry> ReadBatch(const std::string& path);

// Puts `entries` in place of the whole batch at `path`, durably: the old batch stays whole
// until the new one is complete. 0 or the error number.
template <typename Entry>
int ReplaceBatch(const std::string& path, const std::vector<Entry>& entries);

}  // namespace tessary
