#pragma once
// Dates as the data files hold them: a Double day number counted from 30 December 1899
// (day 0), always a whole day; 0 means "no date". Text forms are fixed for the whole
// run whatever the machine's regional settings say: "dd/mm/yyyy" and "d MMMM yyyy".

#include <chrono>
#include <string>
#include <string_view>

namespace tessary {

using DayNumber = double;

// Day number of a calendar date, and back. FromDayNumber truncates a fractional day.
DayNumber ToDayNumber(std::chrono::year_month_day ymd);
std::chrono::year_month_day FromDayNumber(DayNumber day);

// Reads "d/m/y" (one or two digits for day and month; a year of one or two digits lies in
// the hundred years that begin ten years before currentYear, three or four digits are taken
// as they stand), or "d/m" for a date in currentYear. Blanks around the numbers are allowed.
// Returns 0 for any text that is no valid date; never throws.
DayNumber ParseDate(std::string_view text, std::chrono::year currentYear);

// Today in the machine's local time zone.
std::chrono::year_month_day LocalToday();

// A day number read from the data files: one the calendar cannot show (not finite, before day
// 0 or after 31/12/9999) reads as 0, no date, so that a damaged record holds up no date check
// and reaches no date conversion.
DayNumber StoredDate(DayNumber day);

std::string FormatDate(DayNumber day);      // "dd/mm/yyyy"; "" for 0
std::string FormatLongDate(DayNumber day);  // "d MMMM yyyy", English month names
std::string WeekdayName(DayNumber day);     // "Monday" ... "Sunday"

}  // namespace tessary
