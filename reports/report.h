#pragma once
// What every report routine shares: a report is a function from its inputs (records,
// selection values, the run's dates and rates) to lines, handed one at a time to a sink. The
// Reports menu sends them to the user's work file; tests and benchmarks keep them.

#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace tessary {

using LineSink = std::function<void(std::string_view)>;

// Collects lines, for tests and for small reports.
struct LineCollector {
    std::vector<std::string> lines;
    LineSink sink() {
        return [this](std::string_view line) { lines.emplace_back(line); };
    }
};

// Adds an amount to a report's total or running balance unless it is no number (a damaged
// record, which the report names): one damaged field must not wipe out a whole total.
inline void AddToTotal(double& total, double amount) {
    if (std::isfinite(amount)) total += amount;
}

// The selection values of the Reports menu's prompts, with their defaults.
inline const DayNumber kDefaultFromDate =
    ToDayNumber(std::chrono::year{1990} / std::chrono::January / 1);
inline const DayNumber kDefaultToDate =
    ToDayNumber(std::chrono::year{9999} / std::chrono::January / 1);

struct ReportSelection {
    DayNumber fromDate = kDefaultFromDate;
    DayNumber toDate = kDefaultToDate;
    int fromMember = 0;       // "From account", or the nominal "Account Number"
    int toMember = 0;         // "To account"
    std::string typePattern;  // member type pattern, trimmed, upper case, at most 10
};

}  // namespace tessary
