#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace tessary {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
    return bytes;
}

TEST(CodePage, EveryByteRoundTrips) {
    const std::string bytes = AllBytes();
    const std::string utf8 = Cp1252ToUtf8(bytes);
    EXPECT_EQ(Utf8ToCp1252(utf8), bytes);
    // Only the '?' byte itself may come out as '?': nothing else is unmappable.
    EXPECT_EQ(std::count(utf8.begin(), utf8.end(), '?'), 1);
    // Each byte on its own is one character, so distinct bytes give distinct text.
    for (int c = 0x80; c < 256; ++c) {
        const std::string one = Cp1252ToUtf8(std::string(1, static_cast<char>(c)));
        ASSERT_GE(one.size(), 2u) << c;
        EXPECT_EQ(Utf8ToCp1252(one), std::string(1, static_cast<char>(c))) << c;
    }
}

TEST(CodePage, HighControlRange) {
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Utf8ToCp1252("\u20AC"), "\x80");
    EXPECT_EQ(Cp1252ToUtf8("\x8A"), "\u0160");
    EXPECT_EQ(Cp1252ToUtf8("\x99"), "\u2122");
    EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\u0178");
    EXPECT_EQ(Utf8ToCp1252("\u201C\u201D"), "\x93\x94");
    // The undefined bytes travel as C1 controls.
    for (const char* undefined : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
        const std::string utf8 = Cp1252ToUtf8(undefined);
        ASSERT_EQ(utf8.size(), 2u);
        EXPECT_EQ(static_cast<unsigned char>(utf8[0]), 0xC2);
        EXPECT_EQ(utf8[1], undefined[0]);
    }
    // C1 controls that Windows-1252 uses for printable characters have no byte of their own.
    EXPECT_EQ(Utf8ToCp1252("\u0080"), "?");
    EXPECT_EQ(Utf8ToCp1252("\u009F"), "?");
}

TEST(CodePage, LatinOneRange) {
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9"), "café");
    EXPECT_EQ(Utf8ToCp1252("Ærø ÿ"), "\xC6r\xF8 \xFF");
    EXPECT_EQ(Utf8ToCp1252("\u00A0"), "\xA0");
    EXPECT_EQ(Cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePage, UnmappableCharacters) {
    EXPECT_EQ(Utf8ToCp1252("\u0100"), "?");
    EXPECT_EQ(Utf8ToCp1252("a\u4E2Db"), "a?b");
    EXPECT_EQ(Utf8ToCp1252("\U0001F600"), "?");
    EXPECT_EQ(Utf8ToCp1252("\u20AC\u20AD"), "\x80?");
}

TEST(CodePage, MalformedUtf8) {
    EXPECT_EQ(Utf8ToCp1252("\xE9"), "?");                 // lone Latin-1 byte
    EXPECT_EQ(Utf8ToCp1252("a\x80z"), "a?z");             // stray continuation
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82"), "??");            // truncated euro sign
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82z"), "??z");          // interrupted sequence
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");            // overlong '/'
    EXPECT_EQ(Utf8ToCp1252("\xE0\x80\xAF"), "???");       // overlong '/'
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");       // surrogate
    EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "????");  // above U+10FFFF
    EXPECT_EQ(Utf8ToCp1252("\xF8\x88\x80\x80\x80"), "?????");
    EXPECT_EQ(Utf8ToCp1252("\xFF"
                           "\xC3\xA9"),
              "?\xE9");  // recovers at the next good one
}

TEST(ReadNumber, ReadsTheLeadingNumber) {
    const std::pair<std::string, double> cases[] = {
        {"-42", -42},      {"+42", 42},      {"12.5", 12.5},  {".5", 0.5},  {"-.5", -0.5},
        {"5.", 5},         {"1.5E+3", 1500}, {"25e-2", 0.25}, {"0.1", 0.1}, {"  \t 7", 7},
        {"12.5abc", 12.5}, {"1e", 1},        {"1e+", 1},      {"1E-x", 1},  {"2e3e4", 2000},
        {"1.2.3", 1.2},    {"12,5", 12},     {"7 8", 7},      {"0x1A", 0},  {{"3\0005", 3}, 3},
        {"1e308", 1e308}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(ReadNumber(text), expected) << text;
}

TEST(ReadNumber, NoNumberOrOutOfRangeReadsAsZero) {
    for (const char* text :
         {"", " ", "abc", "-", "+", ".", "-.", "+-5", "--5", "- 5", "e5", ".e5", "inf", "nan",
          "\n5", "1e400", "-1e400", "1e-400", "1e99999999999999999999"})
        EXPECT_EQ(ReadNumber(text), 0) << '"' << text << '"';
    EXPECT_EQ(ReadNumber(std::string(400, '9')), 0);
}

TEST(ReadNumber, LongDigitRuns) {
    EXPECT_EQ(ReadNumber("0." + std::string(10000, '0') + "1"), 0);
    EXPECT_EQ(ReadNumber(std::string(10000, '0') + "12"), 12);
    EXPECT_EQ(ReadNumber("1." + std::string(10000, '0')), 1);
}

TEST(ReadFiniteNumber, ReadsLikeReadNumberButRefusesWhatNoDoubleHolds) {
    // Ordinary text reads as the lenient reading takes it, "no number" included.
    for (const char* text : {"-42", "12.5abc", "1e", "", "abc", "0x1A", "1e308", "-1e9"})
        EXPECT_EQ(ReadFiniteNumber(text), ReadNumber(text)) << '"' << text << '"';
    // Non-finite words and numbers beyond a double's range are refused, not taken as 0.
    for (const char* text : {"nan", "NaN", "-nan", " inf", "+INF", "-Infinity", "infx", "1e400",
                             "-1e400", "1e-400", "1e99999999999999999999"})
        EXPECT_EQ(ReadFiniteNumber(text), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(ReadFiniteNumber(std::string(400, '9')), std::nullopt);
    // The words count only where the number would start.
    EXPECT_EQ(ReadFiniteNumber("5nan"), 5);
    EXPECT_EQ(ReadFiniteNumber("n"), 0);
}

TEST(CodePage, Utf8CharLengthMeasuresOneWellFormedCharacter) {
    EXPECT_EQ(Utf8CharLength("ab"), 1u);
    EXPECT_EQ(Utf8CharLength("\xC3\xA9x"), 2u);
    EXPECT_EQ(Utf8CharLength("\u20AC"), 3u);
    EXPECT_EQ(Utf8CharLength("\U0001F600"), 4u);
    for (const char* bad :
         {"", "\x80", "\xC3", "\xC3(", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
        EXPECT_EQ(Utf8CharLength(bad), 0u) << bad;
}

TEST(ReadWholeNumber, TruncatesAndClamps) {
    const std::pair<const char*, int> cases[] = {{"12.9", 12},
                                                 {"-12.9", -12},
                                                 {"1e3", 1000},
                                                 {"0.999", 0},
                                                 {"abc", 0},
                                                 {"2147483647", 2147483647},
                                                 {"2147483648", 2147483647},
                                                 {"1e300", 2147483647},
                                                 {"-2147483648", -2147483647 - 1},
                                                 {"-1e20", -2147483647 - 1}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(ReadWholeNumber(text), expected) << text;
}

TEST(ReadWholeNumber, StrictFormsTakeOnlyWhatTheyAllow) {
    using After = WholeNumberForm::After;
    using Read = std::optional<long long>;
    // Each case: text, then its reading alone with blanks around (the default form), with
    // nothing after the digits, and as the digits the text begins with.
    const WholeNumberForm alone{};
    const WholeNumberForm nothingAfter{.after = After::Nothing};
    const WholeNumberForm leadingDigits{
        .blanksBefore = false, .minusSign = false, .after = After::Anything};
    const std::tuple<const char*, Read, Read, Read> cases[] = {
        {"42", 42, 42, 42},
        {"007", 7, 7, 7},
        {"  42", 42, 42, std::nullopt},
        {"42  ", 42, std::nullopt, 42},
        {"-3", -3, -3, std::nullopt},
        {"+3", std::nullopt, std::nullopt, std::nullopt},
        {"- 3", std::nullopt, std::nullopt, std::nullopt},
        {"4 2", std::nullopt, std::nullopt, 4},
        {"25x", std::nullopt, std::nullopt, 25},
        {"12.5", std::nullopt, std::nullopt, 12},
        {"1e2", std::nullopt, std::nullopt, 1},
        {"\t5", std::nullopt, std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt, std::nullopt},
        {"   ", std::nullopt, std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt, std::nullopt},
        {"9223372036854775807", 9223372036854775807, 9223372036854775807, 9223372036854775807},
        {"9223372036854775808", std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& [text, asAlone, asNothingAfter, asLeadingDigits] : cases) {
        EXPECT_EQ(ReadWholeNumber(text, alone), asAlone) << '"' << text << '"';
        EXPECT_EQ(ReadWholeNumber(text, nothingAfter), asNothingAfter) << '"' << text << '"';
        EXPECT_EQ(ReadWholeNumber(text, leadingDigits), asLeadingDigits) << '"' << text << '"';
    }
}

TEST(Formats, Columns) {
    EXPECT_EQ(Left24("Savings"), "Savings                 ");
    EXPECT_EQ(Left24(std::string(30, 'x')), std::string(30, 'x'));
    EXPECT_EQ(Right11("abc"), "        abc");
    EXPECT_EQ(Right11(std::string(12, 'y')), std::string(12, 'y'));
    EXPECT_EQ(Right11("caf\xE9").size(), 11u);  // widths count bytes of the record text
    EXPECT_EQ(Whole5(-42), "  -42");
    EXPECT_EQ(Whole5(1234567), "1234567");
    EXPECT_EQ(Money11(-1234.567), "   -1234.57");
    EXPECT_EQ(Money11(1234567890.5), "1234567890.50");
    EXPECT_EQ(Money10(1234.5), "   1234.50");
    EXPECT_EQ(Money10(1234567.891), "1234567.89");
    EXPECT_EQ(MoneyText(1e15), "1000000000000000.00");
    EXPECT_EQ(MoneyText(0.015), "0.01");  // 0.015 is a little below the half
    EXPECT_EQ(FixedText(3.14159, 3), "3.142");
    EXPECT_EQ(FixedText(2.5, 0), "2");  // the exact half goes to the even neighbour
    EXPECT_EQ(FixedText(7, -3), "7");
    const std::string line = std::string(79, 'a') + "bc";
    EXPECT_EQ(CutLine(line), line.substr(0, 80));
    EXPECT_EQ(CutLine("short"), "short");
}

TEST(Formats, NoNegativeZero) {
    EXPECT_EQ(Money11(-0.001), "       0.00");
    EXPECT_EQ(Money10(-0.004), "      0.00");
    EXPECT_EQ(MoneyText(-0.0), "0.00");
    EXPECT_EQ(MoneyText(-0.005), "-0.01");
    EXPECT_EQ(FixedText(-0.4, 0), "0");
    EXPECT_EQ(FixedText(-0.00004, 4), "0.0000");
    EXPECT_EQ(FixedText(-0.0005, 3), "-0.001");
}

// A damaged record's number prints as a marker of the cell's width, never "nan" or "inf".
TEST(Formats, NoNumberShowsTheDamagedMarker) {
    for (const double bad :
         {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(Money11(bad), "    DAMAGED");
        EXPECT_EQ(Money10(bad), "   DAMAGED");
        EXPECT_EQ(MoneyCell(bad), "DAMAGED");
        std::string line = "x";
        AppendMoney(line, bad, 8);
        AppendMoney(line, 12.345, 8);
        EXPECT_EQ(line, "x DAMAGED   12.35");  // 12.345 is a little above the half
    }
    EXPECT_EQ(MoneyCell(-0.004), "0.00");
}

// Numbers must read and print with a decimal point whatever the machine's regional
// settings say.
TEST(TextLocale, IgnoresCommaDecimalLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    bool found = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
            found = true;
            break;
        }
    if (!found) {
        std::setlocale(LC_ALL, saved.c_str());
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const double read = ReadNumber("1234.5");
    const double readComma = ReadNumber("1234,5");
    const std::string money = Money11(1234.5);
    const std::string fixed = FixedText(-0.25, 1);
    const std::string whole = Whole5(12345);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(read, 1234.5);
    EXPECT_EQ(readComma, 1234);
    EXPECT_EQ(money, "    1234.50");
    EXPECT_EQ(fixed, "-0.2");
    EXPECT_EQ(whole, "12345");
}

}  // namespace
}  // namespace tessary
