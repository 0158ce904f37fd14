#include "core/workfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/file.h"
#include "core/protocol.h"

namespace tessary {

namespace {

constexpr std::size_t kLineSize = sizeof(ReportLine);

}  // namespace

std::string ReportWorkPath(const RunState& state) {
    return state.DataFolder + state.UserCode + "WORK";
}

bool ReadReportLine(const File& file, std::uint64_t offset, ReportLine& line) {
    return file.ReadAt(offset, &line, kLineSize) == kLineSize;
}

namespace {

// Lines are gathered and written a large piece at a time: a long report writes millions of
// them, and each write call costs about as much as copying a few thousand lines.
constexpr std::size_t kPendingLimit = 4 * 1024 * 1024;

// Remembers the first failure, so that the viewer can say the report is not whole.
bool NoteWorkError(RunState& state, bool ok) {
    if (!ok && state.ReportWorkError == 0) {
        state.ReportWorkError = state.ReportWork.Error() != 0 ? state.ReportWork.Error() : EIO;
    }
    return ok;
}

bool FlushReport(RunState& state) {
    if (state.ReportPending.empty()) return true;
    const bool ok = state.ReportWork.Append(state.ReportPending.data(), state.ReportPending.size());
    state.ReportPending.clear();
    return NoteWorkError(state, ok);
}

}  // namespace

bool BeginReport(RunState& state) {
    const std::string path = ReportWorkPath(state);
    state.ReportPending.clear();
    state.ReportPending.reserve(kPendingLimit + kLineSize);
    state.ReportWorkError = 0;
    state.ReportWork.Close();
    CreateEmptyFile(path);  // fails harmlessly when the file is there from the last run
    return NoteWorkError(state, state.ReportWork.Open(path, File::Access::ReadWrite) &&
                                    state.ReportWork.Truncate(0));
}

bool AppendReportLine(RunState& state, std::string_view text) {
    // The record is made in place at the end of the pending lines: a length byte, the first
    // 80 characters, and the unused rest cleared, as ReportLine's text is set.
    constexpr std::size_t kTextSize = kLineSize - 1;
    const std::size_t n = std::min(text.size(), kTextSize);
    std::string& pending = state.ReportPending;
    const std::size_t at = pending.size();
    pending.resize(at + kLineSize);  // cleared
    char* record = pending.data() + at;
    record[0] = static_cast<char>(n);
    std::memcpy(record + 1, text.data(), n);
    return state.ReportPending.size() < kPendingLimit || FlushReport(state);
}

bool WriteReport(RunState& state, const std::vector<std::string>& lines) {
    bool ok = BeginReport(state);
    for (const std::string& line : lines) ok = AppendReportLine(state, line) && ok;
    EndReport(state);
    return ok;
}

int WriteReportDurably(RunState& state, const std::vector<std::string>& lines) {
    bool ok = BeginReport(state);
    for (const std::string& line : lines) ok = ok && AppendReportLine(state, line);
    ok = ok && FlushReport(state) && NoteWorkError(state, state.ReportWork.Sync());
    EndReport(state);
    if (!ok) return state.ReportWorkError;
    // A work file made by this run outlasts a power cut only once its folder entry does.
    return SyncFolder(state.DataFolder);
}

void EndReport(RunState& state) {
    FlushReport(state);
    state.ReportWork.Close();
}

}  // namespace tessary
