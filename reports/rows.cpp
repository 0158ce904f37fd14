#include "reports/rows.h"

#include <array>
#include <span>

#include "core/text.h"
#include "core/workfile.h"

namespace tessary {

namespace {

// A cell as the text reports have always shown: amounts and percentages with two decimals
// (or the damage marker), counts in whole figures, dates as dd/mm/yyyy.
std::string_view CellText(const Cell& cell, std::string& buffer) {
    switch (cell.kind) {
        case Cell::Kind::Text:
            return cell.text;
        case Cell::Kind::Amount:
        case Cell::Kind::Percent:
            buffer = MoneyCell(cell.value);
            return buffer;
        case Cell::Kind::Count:
            buffer = std::to_string(cell.count);
            return buffer;
        case Cell::Kind::Date: {
            // Long reports run through the same few dates: the last one's text is kept.
            thread_local DayNumber lastDay = 0;
            thread_local std::string lastText;
            if (cell.value != lastDay || lastText.empty()) {
                lastDay = cell.value;
                lastText = FormatDate(cell.value);
            }
            buffer = lastText;
            return buffer;
        }
        case Cell::Kind::Empty:
            break;
    }
    return {};
}

}  // namespace

std::string RowText(const Row& row) {
    if (row.kind == RowKind::PageBreak) return std::string(kPageBreak);
    // Rows have a handful of cells, whose texts are kept on the stack: a statement run renders
    // a row for every entry of the year.
    constexpr std::size_t kFew = 8;
    std::array<std::string, kFew> fewBuffers;
    std::array<std::string_view, kFew> fewTexts;
    std::vector<std::string> manyBuffers;
    std::vector<std::string_view> manyTexts;
    std::span<std::string> buffers = fewBuffers;
    std::span<std::string_view> texts = fewTexts;
    const std::size_t n = row.cells.size();
    if (n > kFew) {
        manyBuffers.resize(n);
        manyTexts.resize(n);
        buffers = manyBuffers;
        texts = manyTexts;
    }
    for (std::size_t i = 0; i < n; ++i) texts[i] = CellText(row.cells[i], buffers[i]);
    return FormatTexts(row.layout, texts.first(n));
}

void RenderText(const ReportRows& rows, const LineSink& out) {
    for (const Row& row : rows.rows) out(RowText(row));
}

}  // namespace tessary
