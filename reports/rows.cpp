#include "reports/rows.h"

#include <cmath>
#include <cstring>

#include "core/text.h"
#include "core/workfile.h"

namespace tessary {

namespace {

// Room made once and the text copied in: the buffer's own append is not inlined, and a line
// is made of a dozen pieces.
void Append(fmt::memory_buffer& out, std::string_view text) {
    const std::size_t at = out.size();
    out.resize(at + text.size());
    std::memcpy(out.data() + at, text.data(), text.size());
}

// A date as FormatDate writes it, dd/mm/yyyy, without a string of its own.
void AppendDate(fmt::memory_buffer& out, DayNumber day) {
    if (day == 0) return;
    const auto ymd = FromDayNumber(day);
    const int year = static_cast<int>(ymd.year());
    if (!ymd.ok() || year < 0 || year > 9999) return Append(out, FormatDate(day));
    const auto d = static_cast<unsigned>(ymd.day()), m = static_cast<unsigned>(ymd.month());
    const auto y = static_cast<unsigned>(year);
    const auto digit = [](unsigned n) { return static_cast<char>('0' + n % 10); };
    const char text[10] = {
        digit(d / 10),   digit(d),       '/',           digit(m / 10), digit(m), '/',
        digit(y / 1000), digit(y / 100), digit(y / 10), digit(y)};
    Append(out, {text, sizeof text});
}

// Two decimals from whole cents, when the amount is plainly not halfway between two cents:
// below 1e10 the product with 100 is off by far less than the margin kept, so it rounds as
// the exact amount does. False leaves the amount to the general formatting.
bool AppendCents(fmt::memory_buffer& out, double amount) {
    const double cents = amount * 100;
    if (!(std::fabs(cents) < 1e12)) return false;
    auto n = static_cast<long long>(cents + (cents < 0 ? -0.5 : 0.5));
    if (std::fabs(cents - static_cast<double>(n)) > 0.499) return false;
    // What shows as zero shows without a sign.
    if (n < 0) {
        out.push_back('-');
        n = -n;
    }
    const fmt::format_int units(n / 100);
    out.append(units.data(), units.data() + units.size());
    const auto rest = static_cast<int>(n % 100);
    const char decimals[3] = {'.', static_cast<char>('0' + rest / 10),
                              static_cast<char>('0' + rest % 10)};
    out.append(decimals, decimals + 3);
    return true;
}

// An amount as MoneyCell shows it.
void AppendAmount(fmt::memory_buffer& out, double amount) {
    if (!std::isfinite(amount)) return Append(out, kDamagedAmount);
    if (AppendCents(out, amount)) return;
    Append(out, MoneyCell(amount));
}

// A cell as the text reports have always shown: amounts and percentages with two decimals
// (or the damage marker), counts in whole figures, dates as dd/mm/yyyy.
void AppendCell(fmt::memory_buffer& out, const Cell& cell) {
    switch (cell.kind) {
        case Cell::Kind::Text:
            return Append(out, cell.text);
        case Cell::Kind::Amount:
        case Cell::Kind::Percent:
            return AppendAmount(out, cell.value);
        case Cell::Kind::Count: {
            const fmt::format_int count(cell.count);
            return Append(out, {count.data(), count.size()});
        }
        case Cell::Kind::Date:
            return AppendDate(out, cell.value);
        case Cell::Kind::Empty:
            return;
    }
}

}  // namespace

void AppendRowText(const Row& row, fmt::memory_buffer& out) {
    if (row.kind == RowKind::PageBreak) return Append(out, kPageBreak);
    // Each cell's text is made in place, then padded to its width there.
    ReadFormat(
        row.layout, [&out](std::string_view text) { Append(out, text); },
        [&](std::size_t n, std::size_t width, bool left) {
            const std::size_t start = out.size();
            if (n < row.cells.size()) AppendCell(out, row.cells[n]);
            const std::size_t length = out.size() - start;
            if (length >= width) return;
            const std::size_t pad = width - length;
            out.resize(start + width);
            char* text = out.data() + start;
            if (left) {
                std::memset(text + length, ' ', pad);
            } else {
                std::memmove(text + pad, text, length);
                std::memset(text, ' ', pad);
            }
        });
}

std::string RowText(const Row& row) {
    fmt::memory_buffer line;
    AppendRowText(row, line);
    return fmt::to_string(line);
}

void RenderText(const ReportRows& rows, const LineSink& out) {
    RowRenderer render(out);
    for (const Row& row : rows.rows) render(row);
}

}  // namespace tessary
