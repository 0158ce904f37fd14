#include "core/dates.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace tessary {
namespace {

using namespace std::chrono;

TEST(DayNumbers, FixedPoints) {
    EXPECT_EQ(ToDayNumber(1899y / December / 30), 0);
    EXPECT_EQ(ToDayNumber(1899y / December / 31), 1);
    EXPECT_EQ(ToDayNumber(1900y / March / 1), 61);
    EXPECT_EQ(ToDayNumber(2000y / January / 1), 36526);
    EXPECT_EQ(FromDayNumber(36526), 2000y / January / 1);
    EXPECT_EQ(FromDayNumber(0), 1899y / December / 30);
}

TEST(DayNumbers, FractionalAndNonsenseDayNumbers) {
    EXPECT_EQ(FromDayNumber(36526.99), 2000y / January / 1);
    EXPECT_TRUE(FromDayNumber(1e300).ok());
    EXPECT_TRUE(FromDayNumber(-1e300).ok());
    EXPECT_EQ(FromDayNumber(std::numeric_limits<double>::quiet_NaN()), 1899y / December / 30);
}

TEST(ParseDate, FullDates) {
    const year now{2026};
    EXPECT_EQ(ParseDate("1/1/2000", now), 36526);
    EXPECT_EQ(ParseDate("01/01/2000", now), 36526);
    EXPECT_EQ(ParseDate("7/12/2026", now), ToDayNumber(2026y / December / 7));
    EXPECT_EQ(ParseDate("31/12/1999", now), 36525);
    EXPECT_EQ(ParseDate("1/1/999", now), ToDayNumber(999y / January / 1));
}

TEST(ParseDate, LeapYearsAndInvalidDays) {
    const year now{2026};
    EXPECT_EQ(ParseDate("29/02/2024", now) + 1, ParseDate("1/3/2024", now));
    EXPECT_EQ(ParseDate("29/02/2000", now) + 1, ParseDate("1/3/2000", now));
    for (const char* text : {"29/02/2023", "29/02/1900", "31/04/2026", "0/1/2000", "1/0/2000",
                             "1/13/2000", "32/1/2000", "30/2/2024"})
        EXPECT_EQ(ParseDate(text, now), 0) << text;
}

TEST(ParseDate, ShortYearWindow) {
    // The window runs from ten years before the current year to 89 years after it.
    EXPECT_EQ(ParseDate("1/1/16", year{2026}), ToDayNumber(2016y / January / 1));
    EXPECT_EQ(ParseDate("31/12/15", year{2026}), ToDayNumber(2115y / December / 31));
    EXPECT_EQ(ParseDate("1/1/99", year{2026}), ToDayNumber(2099y / January / 1));
    EXPECT_EQ(ParseDate("1/1/0", year{2026}), ToDayNumber(2100y / January / 1));
    EXPECT_EQ(ParseDate("1/1/99", year{2005}), ToDayNumber(1999y / January / 1));
    EXPECT_EQ(ParseDate("1/1/95", year{2005}), ToDayNumber(1995y / January / 1));
    EXPECT_EQ(ParseDate("1/1/94", year{2005}), ToDayNumber(2094y / January / 1));
    EXPECT_EQ(ParseDate("1/1/05", year{2005}), ToDayNumber(2005y / January / 1));
    // Three or four digits are taken as written, however close to the window.
    EXPECT_EQ(ParseDate("1/1/016", year{2026}), ToDayNumber(16y / January / 1));
    EXPECT_EQ(ParseDate("1/1/0099", year{2026}), ToDayNumber(99y / January / 1));
}

TEST(ParseDate, DayAndMonthOnlyUsesCurrentYear) {
    EXPECT_EQ(ParseDate("7/12", year{2026}), ToDayNumber(2026y / December / 7));
    EXPECT_EQ(ParseDate("29/2", year{2024}), ToDayNumber(2024y / February / 29));
    EXPECT_EQ(ParseDate("29/2", year{2023}), 0);
}

TEST(ParseDate, Blanks) {
    const year now{2026};
    EXPECT_EQ(ParseDate("  1/1/2000 ", now), 36526);
    EXPECT_EQ(ParseDate("\t1/1/2000\t", now), 36526);
    EXPECT_EQ(ParseDate(" 1 / 1 / 2000 ", now), 36526);
}

TEST(ParseDate, GarbageReadsAsNoDate) {
    const year now{2026};
    for (const char* text :
         {"",          " ",          "/",          "//",         "1",         "1/",
          "/1",        "1//2000",    "1/1/",       "a/1/2000",   "1/1/2000x", "x1/1/2000",
          "1/1/2000/", "1/1/2000/5", "1.1.2000",   "1-1-2000",   "-1/1/2000", "1/-1/2000",
          "1/1/-200",  "+1/1/2000",  "001/1/2000", "1/001/2000", "1/1/20000", "1 1/1/2000",
          "1/1/20 00", "１/1/2000"})
        EXPECT_EQ(ParseDate(text, now), 0) << '"' << text << '"';
}

TEST(ParseDate, HostileInputNeverCrashes) {
    const year now{2026};
    EXPECT_EQ(ParseDate(std::string(100000, '9'), now), 0);
    EXPECT_EQ(ParseDate("1/1/" + std::string(5000, '9'), now), 0);
    EXPECT_EQ(ParseDate(std::string(100000, '/'), now), 0);
    EXPECT_EQ(ParseDate(std::string("1/1/2000\0", 9), now), 0);
    EXPECT_EQ(ParseDate(std::string("1/\0/2000", 8), now), 0);
    std::string everyByte;
    for (int c = 0; c < 256; ++c) everyByte += static_cast<char>(c);
    EXPECT_EQ(ParseDate(everyByte, now), 0);
}

TEST(FormatDate, Forms) {
    EXPECT_EQ(FormatDate(0), "");
    EXPECT_EQ(FormatDate(36526), "01/01/2000");
    EXPECT_EQ(FormatDate(ToDayNumber(2026y / December / 7)), "07/12/2026");
    EXPECT_EQ(FormatLongDate(ToDayNumber(2026y / December / 7)), "7 December 2026");
    EXPECT_EQ(FormatLongDate(ToDayNumber(2024y / February / 29)), "29 February 2024");
    EXPECT_EQ(FormatLongDate(36526), "1 January 2000");
}

TEST(FormatDate, RoundTripsThroughParse) {
    // Every day from 1900 to beyond 2100 must come back unchanged, whatever year it is now.
    const DayNumber first = ToDayNumber(1900y / January / 1);
    const DayNumber last = ToDayNumber(2101y / January / 1);
    for (DayNumber d = first; d <= last; ++d) {
        const std::string text = FormatDate(d);
        ASSERT_EQ(ParseDate(text, year{2026}), d) << text;
        ASSERT_EQ(ParseDate(text, year{1950}), d) << text;
    }
}

TEST(WeekdayName, KnownDays) {
    EXPECT_EQ(WeekdayName(ToDayNumber(2026y / December / 7)), "Monday");
    EXPECT_EQ(WeekdayName(ToDayNumber(1900y / January / 1)), "Monday");
    const char* names[] = {"Saturday",  "Sunday",   "Monday", "Tuesday",
                           "Wednesday", "Thursday", "Friday"};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(WeekdayName(36526 + i), names[i % 7]);
}

}  // namespace
}  // namespace tessary
