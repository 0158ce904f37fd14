#pragma once
// Totalling and posting a user's nominal batch.

#include <string>

#include "core/app.h"

namespace tessary {

// The signed-on user's nominal batch: DataFolder + UserCode + "NOM.t32".
std::string NominalBatchPath(const RunState& state);
// Money into the bank is +amount for accounts 0 and 60 to 119, -amount for the rest.
double BankEffect(int account, double amount);

inline constexpr std::uint64_t kMaxNominalBatchEntries = 10'000'000;

// The menu's "Total Transactions": lists the batch (report 24), totals it, offers the list.
void TotalNominalTransactions(App& app);
// The menu's "Post Transactions": requires a fresh total, asks, posts under the update lock.
void PostNominalTransactions(App& app);

}  // namespace tessary
