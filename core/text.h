#pragma once
// Text helpers shared by every subsystem: the record text code page, lenient number reading
// and the fixed report-line formats. None of them depends on the C locale.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Record text is Windows-1252; the user interface works in UTF-8. Characters that
// Windows-1252 cannot hold become '?'; malformed UTF-8 bytes each become '?'.
std::string Cp1252ToUtf8(std::string_view cp1252);
std::string Utf8ToCp1252(std::string_view utf8);
// Bytes of the well-formed UTF-8 character at the start of `utf8`; 0 when it starts with
// none (empty, malformed, overlong, a surrogate or beyond U+10FFFF).
std::size_t Utf8CharLength(std::string_view utf8);

// Upper case of Windows-1252 text, accented letters included (as typing into an upper-case
// field gives it).
std::string UpperCase1252(std::string_view text);

// Lenient number reading: skip leading blanks, read sign, digits, decimal point and
// exponent, stop at the first character that does not belong; no number reads as 0.
double ReadNumber(std::string_view text);
// The same, but nothing when the text spells a number that no double holds: "nan" or "inf"
// (any case, after the sign) or one beyond a double's range either way. Lenient reading
// would take these as 0, which would pass a field check unnoticed.
std::optional<double> ReadFiniteNumber(std::string_view text);
// The same, truncated toward zero to a whole number (clamped to the Int32 range).
int ReadWholeNumber(std::string_view text);

// The text a field check takes as a whole number: digits, and around them what the form
// allows. Blanks are spaces.
struct WholeNumberForm {
    enum class After { Nothing, Blanks, Anything };
    bool blanksBefore = true;     // blanks before the number are passed over
    bool minusSign = true;        // a minus sign may stand before the digits
    After after = After::Blanks;  // what may follow the digits; Anything: the leading number
};
// Strict reading for field checks: the number, or nothing when the text is not of the form
// or the number is beyond a long long.
std::optional<long long> ReadWholeNumber(std::string_view text, const WholeNumberForm& form);

// Blanks added on the left (right-aligned) or the right (left-aligned) up to `width`; a
// longer text stays whole.
std::string PadLeft(std::string text, std::size_t width);
std::string PadRight(std::string text, std::size_t width);

// Report-line formats. A value longer than its width is printed whole.
// An amount cell for a number that is no number (NaN or an infinity, only ever read from a
// damaged record) shows this marker, never "nan" or "inf".
inline constexpr std::string_view kDamagedAmount = "DAMAGED";
std::string Left24(std::string_view text);          // "%-24s"
std::string Right11(std::string_view text);         // "%11s"
std::string Whole5(long long value);                // "%5d"
std::string Money11(double amount);                 // "%11f": two decimals, right-aligned in 11
std::string Money10(double amount);                 // "%10f"
std::string MoneyCell(double amount);               // two decimals, no padding, or the marker
std::string MoneyText(double amount);               // two decimals, no padding (edits)
std::string FixedText(double value, int decimals);  // fixed notation, no padding
std::string CutLine(std::string_view line);         // a report line cut to 80 characters
// Appends an amount with two decimals right-aligned in `width`, as Money11 does, without
// making a string of its own: for the reports that write millions of lines.
void AppendMoney(std::string& out, double amount, std::size_t width);

// Fills a C-style format of plain texts: "%s", "%-Ns" (left-aligned in N) and "%Ns", "%Nd" or
// "%Nf" (right-aligned in N), with every value given as text; "%%" is a percent sign. Widths
// count bytes, as record text is one byte a character, and a longer value is kept whole and
// pushes the rest along.
std::string FormatTexts(std::string_view format, std::span<const std::string_view> values);

// Reads a FormatTexts format: `plain` takes each stretch of plain text (and the percent sign of
// a "%%"), `value` each conversion's place among them (from 0), its width and whether it is
// left-aligned. Inline, as a report renders millions of lines through it.
template <typename Plain, typename Value>
void ReadFormat(std::string_view format, Plain&& plain, Value&& value) {
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find('%', i);
        if (percent == std::string_view::npos) return plain(format.substr(i));
        plain(format.substr(i, percent - i));
        // A lone percent sign at the end stands for itself.
        if (percent + 1 == format.size() || format[percent + 1] == '%') {
            plain(std::string_view("%"));
            i = percent + 2;
            continue;
        }
        std::size_t j = percent + 1;
        const bool left = format[j] == '-';
        if (left) ++j;
        std::size_t width = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
            width = width * 10 + static_cast<std::size_t>(format[j] - '0');
            ++j;
        }
        value(next++, width, left);
        i = j + 1;  // past the conversion letter
    }
}

// Splitting a shell open's parameter string into a program's arguments, by the quoting
// rules the strings are written for: blanks separate, double quotes group (blanks inside stay),
// and backslashes are plain characters except before a quote (2n backslashes and a quote are
// n backslashes and a grouping quote; 2n+1 and a quote are n backslashes and a plain quote).
// So `/o A:\CU1 CU1.zip "/p=zip CU1 CU1\*.d32,del"` gives four arguments, the last without
// its quotes.
std::vector<std::string> SplitParameters(std::string_view parameters);

}  // namespace tessary
