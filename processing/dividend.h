#pragma once
// Dividend allocation: a year's dividend on Share 1, paid to the members whose type fits a
// pattern out of undivided earnings. The engine routines work on the run state's files and
// hand back messages, report lines and the outcome; TFdividend is the form that asks for the
// pattern and rate and shows the report.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "core/update.h"

namespace tessary {

inline constexpr const char* kMsgNoDividends = "No Dividends have been Earned";
inline constexpr const char* kMsgDividendTooLarge = "Dividend exceeds undivided earnings ?";

inline constexpr const char* kDividendRunDescription = "Allocate Dividends";

// Pays the member the dividend at `rate` per cent a year on last year's Share 1 sum: Share 1
// is credited and the sum cleared. Returns the dividend, rounded to pence.
double PayDividend(MemberRecord& member, double rate);
// Dividends totalling `total` leave undivided earnings for the Share 1 control account.
void PostDividendTotal(NominalAccountRecord& share1Control, NominalAccountRecord& earnings,
                       double total);
// The ledger's two entries for dividends totalling `total`, both reconciled: no cash moves.
std::array<NominalLogEntry, 2> DividendLogsOf(double total, double date, std::string_view user);

struct DividendCheck {
    bool opened = false;  // false: the open said why
    int people = 0;       // members fitting the pattern, those with no sum included
    double sum = 0;       // their Share1SumLastYear
    double cost = 0;      // sum x rate / 1200, not rounded
    std::string message;  // what the form shows
    bool Earned() const;
};

// Counts the members fitting `pattern` and what the dividend at `rate` percent a year would
// cost, with the file set opened and closed for update.
DividendCheck CheckDividend(RunState& state, const std::string& pattern, double rate);

struct DividendRun {
    DividendCheck check;
    std::string refused;   // why nothing was paid, or ""
    bool started = false;  // the run began; `outcome` tells how it ended
    UpdateOutcome outcome;
    std::vector<std::string> lines;  // the allocation report (report 20)
    double total = 0;                // the dividends paid
};

// Pays the dividend at `rate` to every member fitting `pattern` with a sum for last year, in
// one update run: Share 1 credited and the sum cleared, a member log entry each, accounts 1
// and 80 moved by the total with two reconciled ledger log entries, and a system log entry.
// Refused, unchanged, when nobody has earned one or when it would cost more than account 80.
DividendRun AllocateDividend(RunState& state, const std::string& pattern, double rate);

}  // namespace tessary
