#pragma once
// Synthetic data folders for trying the program out and for measuring it: members with
// plausible names, addresses, balances and loans, optionally a year of posted history, and a
// member batch ready to be checked and posted. Everything is written through the program's
// own record layouts, and the same settings and seed always give the same bytes.

#include <cstdint>
#include <string>

#include "core/records.h"

namespace tessary::gen {

struct Settings {
    std::int32_t members = 0;       // records in memacc.d32
    std::int32_t batchEntries = 0;  // entries in the user's member batch
    std::string user = "ADM";       // whose batch it is; must be a user of the folder
    std::uint64_t seed = 1;
    double date = 0;             // day number; the batch is dated in the 30 days up to it
    std::string templateFolder;  // where the new-folder templates sys.d32 and nomacc.d32 are
    // The year of posted history up to `date`: member log entries (0: empty logs, as a new
    // folder has) and cash-book entries on income and expenditure (-1: one for every 25
    // member log entries).
    std::int32_t historyEntries = 0;
    std::int32_t cashbookEntries = -1;
    std::int32_t Cashbook() const {
        return cashbookEntries >= 0 ? cashbookEntries : historyEntries / 25;
    }
};

// The largest counts the generator accepts (a membership number has at most six digits).
inline constexpr std::int32_t kMaxMembers = 999'999;
inline constexpr std::int32_t kMaxBatchEntries = 1'000'000;
// The logs' summed sizes must fit the system record's consistency total.
inline constexpr std::int32_t kMaxHistoryEntries = 10'000'000;
inline constexpr std::int32_t kMaxCashbookEntries = 1'000'000;

class Random;

// A member as the co-operative first hears of him: name, address, phone, member type, birth
// and join dates (the join in the years up to a week before `date`), drawn from `random`.
struct Person {
    MemberRecord record;
    bool juvenile = false;
    double join = 0;  // day number of the join date
};
Person DrawPerson(Random& random, double date);

struct Summary {
    std::int32_t loans = 0;            // members given a loan
    std::string batchPath;             // the batch file written
    std::int32_t postingDays = 0;      // days with a member or cash-book posting run
    std::uint64_t nominalEntries = 0;  // entries in nomlog.d32
};

// Fills `folder` (created when missing): sys.d32 and nomacc.d32 from the templates when the
// folder has none, memacc.d32 with the members, the logs (empty, or the year's history with
// the members' balances, the nominal balances and budgets to agree), the system record made
// consistent with them, and the batch. The folder's users and account names are kept.
// Returns an empty string on success, else what went wrong.
std::string GenerateDataFolder(const std::string& folder, const Settings& settings,
                               Summary* summary = nullptr);

}  // namespace tessary::gen
