#pragma once
// A report as rows of typed cells. The report routines work out the values (amounts, counts,
// dates, texts) and say how each row lays out as a line of text; RenderText writes the lines.
// Keeping the values, not their text, lets other renderers show the same rows their own way.

#include <fmt/format.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "reports/report.h"

namespace tessary {

// One value of a row. A damaged amount (no number) stays as it was read; the text renderer
// shows it as "DAMAGED".
struct Cell {
    enum class Kind { Empty, Text, Amount, Percent, Count, Date };
    Kind kind = Kind::Empty;
    std::string text;     // Text
    double value = 0;     // Amount, Percent, or the day number of a Date
    long long count = 0;  // Count

    static Cell Text(std::string_view text) { return {Kind::Text, std::string(text)}; }
    static Cell Amount(double amount) { return {Kind::Amount, {}, amount}; }
    static Cell Percent(double percent) { return {Kind::Percent, {}, percent}; }
    static Cell Count(long long n) { return {Kind::Count, {}, 0, n}; }
    static Cell Date(DayNumber day) { return {Kind::Date, {}, day}; }
};

enum class RowKind { Heading, Detail, Total, Blank, PageBreak, Note };

// A row and its text layout: a FormatTexts format (core/text.h) whose conversions take
// the cells in order. Layouts are literals, so rows copy cheaply.
struct Row {
    RowKind kind = RowKind::Detail;
    std::string_view layout;
    std::vector<Cell> cells;
};

struct ReportRows {
    std::vector<Row> rows;

    void Add(RowKind kind, std::string_view layout, std::initializer_list<Cell> cells) {
        rows.push_back({kind, layout, cells});
    }
    // A row of one text, as it stands.
    void Line(RowKind kind, std::string_view text) { Add(kind, "%s", {Cell::Text(text)}); }
    void Blank() { rows.push_back({RowKind::Blank, {}, {}}); }
    void PageBreak() { rows.push_back({RowKind::PageBreak, {}, {}}); }
};

// Rows handed on one at a time, for a report too long to hold whole.
using RowSink = std::function<void(const Row&)>;

// The line of text a row renders as: the cells' texts filled into its layout.
std::string RowText(const Row& row);
// The same line added to the end of `out`: a long report reuses one buffer for every line.
void AppendRowText(const Row& row, fmt::memory_buffer& out);
// Hands each row's line to `out` as it comes, rendered into one reused buffer.
class RowRenderer {
  public:
    explicit RowRenderer(const LineSink& out) : out_(out) {}
    void operator()(const Row& row) {
        line_.clear();
        AppendRowText(row, line_);
        out_(std::string_view(line_.data(), line_.size()));
    }

  private:
    const LineSink& out_;
    fmt::memory_buffer line_;
};
// Each row's line, in order.
void RenderText(const ReportRows& rows, const LineSink& out);

}  // namespace tessary
