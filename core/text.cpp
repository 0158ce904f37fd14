#include "core/text.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

namespace tessary {

namespace {

// Code points of Windows-1252 bytes 0x80-0x9F. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) pass through as the C1 controls of the same
// value, so that any byte string survives a round trip through UTF-8 unchanged.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t Cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

// The byte for a code point, or '?' when Windows-1252 has none.
char CodePointToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    const auto it = std::find(kHighControls.begin(), kHighControls.end(), cp);
    if (it == kHighControls.end()) return '?';
    return static_cast<char>(0x80 + (it - kHighControls.begin()));
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {  // Windows-1252 never needs more than three bytes
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one well-formed UTF-8 sequence at the start of text. Returns its length and code
// point, or length 0 when the first byte does not start a well-formed sequence (overlong
// forms, surrogates and values above U+10FFFF are not well formed).
std::size_t DecodeUtf8(std::string_view text, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[0]);
    std::size_t length;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (!IsContinuation(b)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos;
}

// Fixed notation without a sign on a value that rounds to zero: a report that shows
// "-0.00" looks like an error to the reader.
std::string Fixed(double value, int decimals) {
    std::string text = fmt::format("{:.{}f}", value, decimals);
    if (!text.empty() && text[0] == '-' &&
        std::all_of(text.begin() + 1, text.end(), [](char c) { return c == '0' || c == '.'; }))
        text.erase(0, 1);
    return text;
}

}  // namespace

std::string PadLeft(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string PadRight(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (const char c : cp1252) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::size_t Utf8CharLength(std::string_view utf8) {
    char32_t cp = 0;
    return utf8.empty() ? 0 : DecodeUtf8(utf8, cp);
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, cp);
        if (length == 0) {
            out += '?';
            utf8.remove_prefix(1);
        } else {
            out += CodePointToCp1252(cp);
            utf8.remove_prefix(length);
        }
    }
    return out;
}

std::optional<double> ReadFiniteNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    text.remove_prefix(pos);

    // from_chars takes a minus sign but not a plus sign.
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const auto spells = [&](std::string_view word) {
        return text.size() >= word.size() &&
               std::equal(word.begin(), word.end(), text.begin(), [](char w, char t) {
                   return w == (t >= 'A' && t <= 'Z' ? static_cast<char>(t - 'A' + 'a') : t);
               });
    };
    if (spells("nan") || spells("inf")) return std::nullopt;

    const std::size_t intEnd = SkipDigits(text, 0);
    std::size_t end = intEnd;
    bool anyDigit = intEnd > 0;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fracEnd = SkipDigits(text, end + 1);
        anyDigit = anyDigit || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!anyDigit) return 0.0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t expPos = end + 1;
        if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) ++expPos;
        const std::size_t expEnd = SkipDigits(text, expPos);
        if (expEnd > expPos) end = expEnd;
    }

    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + end, value);
    if (ec != std::errc{} || ptr != text.data() + end) return std::nullopt;
    return negative ? -value : value;
}

double ReadNumber(std::string_view text) {
    // A value beyond the range of a double (or too small to hold) reads as 0: no field of
    // a record can hold such a number, and an infinity would poison every total it joins.
    return ReadFiniteNumber(text).value_or(0);
}

int ReadWholeNumber(std::string_view text) {
    const double value = std::trunc(ReadNumber(text));
    if (std::isnan(value)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<int>(std::clamp(value, lo, hi));
}

std::optional<long long> ReadWholeNumber(std::string_view text, const WholeNumberForm& form) {
    std::size_t pos = 0;
    if (form.blanksBefore) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
    }
    const std::size_t start = pos;
    if (form.minusSign && pos < text.size() && text[pos] == '-') ++pos;
    const std::size_t end = SkipDigits(text, pos);
    if (end == pos) return std::nullopt;
    const std::string_view rest = text.substr(end);
    if (form.after == WholeNumberForm::After::Nothing && !rest.empty()) return std::nullopt;
    if (form.after == WholeNumberForm::After::Blanks &&
        rest.find_first_not_of(' ') != std::string_view::npos) {
        return std::nullopt;
    }
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(text.data() + start, text.data() + end, value);
    if (ec != std::errc{} || ptr != text.data() + end) return std::nullopt;
    return value;
}

std::string Left24(std::string_view text) {
    // Widths count bytes, as the record text is one byte a character.
    std::string out(text);
    if (out.size() < 24) out.append(24 - out.size(), ' ');
    return out;
}

std::string Right11(std::string_view text) {
    return PadLeft(std::string(text), 11);
}

std::string Whole5(long long value) {
    return fmt::format("{:5}", value);
}

std::string MoneyCell(double amount) {
    return std::isfinite(amount) ? Fixed(amount, 2) : std::string(kDamagedAmount);
}

std::string Money11(double amount) {
    return PadLeft(MoneyCell(amount), 11);
}

std::string Money10(double amount) {
    return PadLeft(MoneyCell(amount), 10);
}

std::string MoneyText(double amount) {
    return Fixed(amount, 2);
}

std::string FixedText(double value, int decimals) {
    // Past 30 decimals a double has nothing left to show; the bound also keeps a bad
    // argument from asking for an enormous string.
    return Fixed(value, std::clamp(decimals, 0, 30));
}

void AppendMoney(std::string& out, double amount, std::size_t width) {
    if (!std::isfinite(amount)) {
        if (kDamagedAmount.size() < width) out.append(width - kDamagedAmount.size(), ' ');
        out += kDamagedAmount;
        return;
    }
    // What shows as zero shows without a sign, as in FixedText.
    if (amount > -0.005 && amount <= 0) amount = 0.0;
    fmt::format_to(std::back_inserter(out), "{:>{}.2f}", amount, width);
    if (out.size() >= 5 && out.compare(out.size() - 5, 5, "-0.00") == 0) {
        out[out.size() - 5] = ' ';
    }
}

std::string CutLine(std::string_view line) {
    return std::string(line.substr(0, 80));
}

std::string UpperCase1252(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        unsigned char u = c;
        if (c >= 'a' && c <= 'z') {
            u = static_cast<unsigned char>(c - 0x20);
        } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {  // à..þ except the division sign
            u = static_cast<unsigned char>(c - 0x20);
        } else if (c == 0x9A || c == 0x9C || c == 0x9E) {  // š œ ž
            u = static_cast<unsigned char>(c - 0x10);
        } else if (c == 0xFF) {  // ÿ
            u = 0x9F;
        }
        ch = static_cast<char>(u);
    }
    return out;
}

std::string FormatTexts(std::string_view format, std::span<const std::string_view> values) {
    std::string out;
    ReadFormat(
        format, [&out](std::string_view text) { out += text; },
        [&](std::size_t n, std::size_t width, bool left) {
            const std::string_view value = n < values.size() ? values[n] : std::string_view{};
            const std::size_t pad = value.size() < width ? width - value.size() : 0;
            if (!left) out.append(pad, ' ');
            out += value;
            if (left) out.append(pad, ' ');
        });
    return out;
}

std::vector<std::string> SplitParameters(std::string_view text) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    for (;;) {
        while (i < text.size() && blank(text[i])) ++i;
        if (i >= text.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < text.size() && (quoted || !blank(text[i]))) {
            if (text[i] == '\\') {
                std::size_t n = 0;
                while (i < text.size() && text[i] == '\\') ++n, ++i;
                if (i < text.size() && text[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
            } else if (text[i] == '"') {
                // "" inside a quoted part is one plain quote.
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += text[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace tessary
