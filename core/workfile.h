#pragma once
// The signed-on user's report work file. A report routine's lines go here, at most 80
// characters each, and know nothing of pages; the viewer, the printer and the filed text
// file add the page title, page header and column heading (reports/writer.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "core/state.h"

namespace tessary {

#pragma pack(push, 1)
// One line of a report work file: string[80].
struct ReportLine {
    PString<80> Text;
};
#pragma pack(pop)
static_assert(sizeof(ReportLine) == 81);

// The one-character line that asks for a new page before the next line.
inline constexpr std::string_view kPageBreak = "^";
// The form feed written for a page break in a filed report.
inline constexpr char kFormFeed = '\f';

// DataFolder + user code + "WORK": one work file per user, so users' reports never mix.
std::string ReportWorkPath(const RunState& state);

// Empties the user's work file (creating it if need be) and holds it open in ReportWork.
bool BeginReport(RunState& state);
// Appends one line holding the first 80 characters of `text` (Windows-1252).
bool AppendReportLine(RunState& state, std::string_view text);
// Closes the work file; the viewer reads it through its own handle.
void EndReport(RunState& state);
// Empties the work file and writes `lines` to it: a whole report made by an engine routine.
bool WriteReport(RunState& state, const std::vector<std::string>& lines);
// The same for a report that cannot be made again: the lines are flushed and made durable
// before it returns, so that the run they report on can be failed when they are not all
// there. 0 or the error number.
int WriteReportDurably(RunState& state, const std::vector<std::string>& lines);
// Reads the line at byte `offset` of a work file; false on a short read (the end).
bool ReadReportLine(const File& file, std::uint64_t offset, ReportLine& line);

}  // namespace tessary
