#include "core/dates.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <optional>

namespace tessary {

namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days{1899y / December / 30};

// Keeps day numbers well inside the years std::chrono can represent, so that a damaged
// field in a data file cannot push the calendar arithmetic out of range.
constexpr double kMaxDays = 10'000'000.0;
// 1 January 10000: the first day that "dd/mm/yyyy" cannot show.
constexpr double kDayAfterLastDate = 2'958'466.0;

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

constexpr std::array<const char*, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// One date field: blanks around it, then between 1 and maxDigits decimal digits.
std::optional<int> ReadField(std::string_view field, std::size_t maxDigits) {
    field = Trim(field);
    if (field.empty() || field.size() > maxDigits) return std::nullopt;
    // from_chars would accept a minus sign; a date field is digits only.
    if (!std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc{} || end != field.data() + field.size()) return std::nullopt;
    return value;
}

// A one- or two-digit year lies in the hundred years starting ten years before now.
int ExpandShortYear(int shortYear, int currentYear) {
    const int first = currentYear - 10;
    const int offset = ((shortYear - first) % 100 + 100) % 100;
    return first + offset;
}

sys_days ToSysDays(DayNumber day) {
    if (!std::isfinite(day)) day = 0;
    day = std::clamp(std::trunc(day), -kMaxDays, kMaxDays);
    return kEpoch + days{static_cast<int>(day)};
}

}  // namespace

DayNumber ToDayNumber(year_month_day ymd) {
    return static_cast<DayNumber>((sys_days{ymd} - kEpoch).count());
}

year_month_day FromDayNumber(DayNumber day) {
    return year_month_day{ToSysDays(day)};
}

DayNumber ParseDate(std::string_view text, year currentYear) {
    std::array<std::string_view, 3> parts;
    std::size_t count = 0;
    while (true) {
        const auto slash = text.find('/');
        if (count == parts.size()) return 0;  // more than two separators
        parts[count++] = text.substr(0, slash);
        if (slash == std::string_view::npos) break;
        text.remove_prefix(slash + 1);
    }
    if (count < 2) return 0;

    const auto d = ReadField(parts[0], 2);
    const auto m = ReadField(parts[1], 2);
    if (!d || !m) return 0;

    int y = static_cast<int>(currentYear);
    if (count == 3) {
        const auto field = Trim(parts[2]);
        const auto value = ReadField(field, 4);
        if (!value) return 0;
        if (field.size() <= 2)
            y = ExpandShortYear(*value, y);
        else
            y = *value;
    }

    const year_month_day ymd{year{y}, month{static_cast<unsigned>(*m)},
                             day{static_cast<unsigned>(*d)}};
    if (!ymd.ok()) return 0;
    return ToDayNumber(ymd);
}

DayNumber StoredDate(DayNumber day) {
    return std::isfinite(day) && day >= 0 && day < kDayAfterLastDate ? day : 0;
}

std::string FormatDate(DayNumber day) {
    if (day == 0) return {};
    const auto ymd = FromDayNumber(day);
    return fmt::format("{:02}/{:02}/{:04}", static_cast<unsigned>(ymd.day()),
                       static_cast<unsigned>(ymd.month()), static_cast<int>(ymd.year()));
}

std::string FormatLongDate(DayNumber day) {
    if (day == 0) return {};
    const auto ymd = FromDayNumber(day);
    return fmt::format("{} {} {}", static_cast<unsigned>(ymd.day()),
                       kMonthNames[static_cast<unsigned>(ymd.month()) - 1],
                       static_cast<int>(ymd.year()));
}

std::string WeekdayName(DayNumber day) {
    if (day == 0) return {};
    return kWeekdayNames[weekday{ToSysDays(day)}.c_encoding()];
}

std::chrono::year_month_day LocalToday() {
    // The standard library here has no time-zone database, so the C library's local time
    // (which knows no locale) gives the calendar date.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::chrono::year{local.tm_year + 1900} /
           std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
           std::chrono::day{static_cast<unsigned>(local.tm_mday)};
}

}  // namespace tessary
