#include "core/batch.h"

#include <cerrno>

#include "core/file.h"

namespace tessary {

std::string BatchFileName(std::string_view userCode, BatchKind kind) {
    return std::string(userCode) + (kind == BatchKind::Members ? "MEM" : "NOM") + ".t32";
}

std::string BatchPath(const RunState& state, BatchKind kind) {
    return state.DataPath(BatchFileName(state.UserCode, kind));
}

template <typename Entry>
Batch<Entry> ReadBatch(const std::string& path) {
    Batch<Entry> batch;
    File file;
    if (!file.Open(path, File::Access::ReadOnly)) {
        // A missing batch is empty; anything else that cannot be read is said so.
        if (file.Error() != ENOENT) batch.error = file.Error();
        return batch;
    }
    const std::uint64_t count = file.Size() / sizeof(Entry);
    if (count > kMaxBatchEntries) {
        batch.error = EFBIG;
        return batch;
    }
    batch.entries.resize(static_cast<std::size_t>(count));
    const std::size_t got = file.ReadAt(0, batch.entries.data(), count * sizeof(Entry));
    batch.entries.resize(got / sizeof(Entry));
    return batch;
}

template <typename Entry>
int ReplaceBatch(const std::string& path, const std::vector<Entry>& entries) {
    const std::string bytes(reinterpret_cast<const char*>(entries.data()),
                            entries.size() * sizeof(Entry));
    return WriteFileDurably(path, bytes);
}

template Batch<MemberTransaction> ReadBatch(const std::string& path);
template Batch<NominalTransaction> ReadBatch(const std::string& path);
template int ReplaceBatch(const std::string& path, const std::vector<MemberTransaction>& entries);
template int ReplaceBatch(const std::string& path, const std::vector<NominalTransaction>& entries);

}  // namespace tessary
