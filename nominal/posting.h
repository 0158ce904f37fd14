#pragma once
// Totalling and posting a user's nominal batch.

#include <string>
#include <string_view>
#include <vector>

#include "core/batch.h"
#include "core/state.h"
#include "core/update.h"

namespace tessary {

// The signed-on user's nominal batch: DataFolder + UserCode + "NOM.t32".
std::string NominalBatchPath(const RunState& state);
// Money into the bank is +amount for accounts 0 and 60 to 119, -amount for the rest.
double BankEffect(int account, double amount);
// A posted amount's effect on its account.
void PostToAccount(NominalAccountRecord& account, double amount);
// The nominal log entry of a batch entry posted on `date` by `user`, not yet reconciled.
NominalLogEntry NominalLogOf(const NominalTransaction& entry, double date, std::string_view user);
inline constexpr const char* kNominalRunDescription = "Post Nominal Transactions";

inline constexpr const char* kMsgRetotal = "Please check transactions total first";

// "Count ... Total ..." of a nominal batch, the columns apart by `gap`.
std::string NominalTotalLine(int count, double total, const char* gap);

struct NominalTotal {
    int count = 0;
    double total = 0;  // the bank's movement: receipts less payments
    int errors = 0;    // entries posting could not carry (flagged in the listing)
    std::string unreadable;
    std::vector<std::string> lines;  // the listing (report 24)
};
// Lists and totals the batch. Opens and closes the file set for enquiry.
NominalTotal TotalNominalBatch(RunState& state);

struct NominalPosting {
    bool opened = false;  // false: the open has said why the run cannot start
    std::string refused;  // why the run did not start, or ""
    UpdateOutcome outcome;
    double bank = 0;  // the run's effect on the bank (account 0)
};
// Opens the file set for update, posts the batch and closes the set: whole or not at all.
NominalPosting PostNominalBatch(RunState& state);

}  // namespace tessary
