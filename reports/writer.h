#pragma once
// The report writer. A report routine writes plain lines of at most 80 characters into the
// signed-on user's work file and knows nothing of pages; the viewer, the printer and the
// filed text file take the page title, page header and column heading from the report
// number, all supplied here.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/app.h"
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

// Fills a C-style format of plain texts: "%s", "%-Ns" (left-aligned in N) and "%Ns", "%Nd" or
// "%Nf" (right-aligned in N), with every value given as text; "%%" is a percent sign. Widths
// count bytes, as record text is one byte a character, and a longer value is kept whole and
// pushes the rest along.
std::string FormatTexts(std::string_view format, std::span<const std::string_view> values);

// The page title of a report; numbers 1 and 2 carry the member type pattern of the run.
std::string PageTitle(int reportNumber, std::string_view typePattern);
// The column heading line of a report; empty for numbers without one.
std::string ColumnHeading(int reportNumber);
// The second line of every printed page.
std::string PageHeaderLine(const RunState& state, int page);

// Prints the whole work file on the services' printer, with title, header line and column
// heading on every page.
void PrintReport(App& app, int reportNumber);
// Asks for a file name and files the report there as text: the heading line, then each line
// with CR LF, a form feed for each page break. A failure is told in the message form.
void SaveReport(App& app, int reportNumber);

// Shows the viewer on the report whose number is CommandCode - 300, hiding the main window
// (defined with the viewer, in reports/view.cpp). A report whose figures chart well hands
// over its chart, and the viewer offers it; any other report shows without one. A `notice`
// (what the run that made the report has to tell) is shown over the viewer before anything
// else, as the viewer's Close clears the message line.
void ShowReport(App& app, std::optional<ui::Chart> chart = std::nullopt,
                const std::string& notice = {});

}  // namespace tessary
