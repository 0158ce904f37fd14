#pragma once
// The year's surplus of the nominal ledger, which the balance sheet shows and year end
// carries to capital.

#include <vector>

#include "core/records.h"

namespace tessary {

// Year movement (balance less year-start balance) of accounts 4 and 8 and of the income
// accounts 100 to 119, less that of the expenditure accounts 120 to 159. Accounts a short
// ledger lacks count as zero.
double YearSurplus(const std::vector<NominalAccountRecord>& accounts);

}  // namespace tessary
