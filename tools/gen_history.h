#pragma once
// A year of posted history for a generated data folder, as the program would have left it:
// member posting runs, cash-book postings, a dividend allocation and eleven period ends,
// with the member balances, the nominal ledger and the system record brought to agree with
// the logs they wrote. The choices of who pays what when are made here; what each entry and
// run does to the records is the engine's own rules, called in memory.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/records.h"

namespace tessary::gen {

class Random;

struct HistorySettings {
    std::int32_t memberEntries = 0;    // member log entries to write, dividends included
    std::int32_t cashbookEntries = 0;  // nominal log entries on income and expenditure
    double date = 0;                   // the year runs up to and including this day
    std::string fallbackUser;          // posts what no user of the folder is entitled to
};

struct HistoryOutcome {
    std::string error;  // empty on success
    std::int32_t postingDays = 0;
    std::uint64_t nominalEntries = 0;
    std::uint64_t logBytes = 0;  // the summed sizes of the three logs
};

// Writes memlog.d32, nomlog.d32 and syslog.d32 in `dir` with the year up to the date.
// `members` come in as they stand at the year's start and go out as the year leaves them;
// `accounts` (the 160 of the chart) keep their names and get balances, period and year
// start balances and budgets; `system` gets the period, the dates and the consistency
// total. The same random state gives the same year.
HistoryOutcome WriteHistory(const std::filesystem::path& dir, const HistorySettings& settings,
                            Random& random, std::vector<MemberRecord>& members,
                            std::vector<NominalAccountRecord>& accounts, SystemRecord& system);

}  // namespace tessary::gen
