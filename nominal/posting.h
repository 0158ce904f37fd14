#pragma once
// Totalling and posting a user's nominal batch.

#include <string>
#include <string_view>
#include <vector>

#include "core/app.h"
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

inline constexpr std::uint64_t kMaxNominalBatchEntries = 10'000'000;

inline constexpr const char* kMsgRetotal = "Please check transactions total first";

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
    std::string refused;  // why the run did not start, or ""
    UpdateOutcome outcome;
    double bank = 0;  // the run's effect on the bank (account 0)
};
// Posts the batch with the file set open for update and closes the set: whole or not at all.
NominalPosting PostNominalBatch(RunState& state);

// The menu's "Total Transactions": lists the batch (report 24), totals it, offers the list.
void TotalNominalTransactions(App& app);
// The menu's "Post Transactions": requires a fresh total, asks, posts under the update lock.
void PostNominalTransactions(App& app);

}  // namespace tessary
