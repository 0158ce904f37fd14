#include "nominal/surplus.h"

namespace tessary {

namespace {

double YearMovement(const std::vector<NominalAccountRecord>& accounts, int n) {
    if (n < 0 || static_cast<std::size_t>(n) >= accounts.size()) return 0;
    const NominalAccountRecord& a = accounts[static_cast<std::size_t>(n)];
    return a.Balance - a.YearStartBalance;
}

}  // namespace

double YearSurplus(const std::vector<NominalAccountRecord>& accounts) {
    double surplus =
        YearMovement(accounts, kFeesAccount) + YearMovement(accounts, kLoanInterestAccount);
    for (int n = kIncomeStart; n < kExpenditureStart; ++n) surplus += YearMovement(accounts, n);
    for (int n = kExpenditureStart; n < kNominalAccountCount; ++n) {
        surplus -= YearMovement(accounts, n);
    }
    return surplus;
}

}  // namespace tessary
