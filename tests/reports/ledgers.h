#pragma once
// Nominal accounts made by hand for the ledger reports' tests.

#include "core/records.h"

namespace tessary::testing {

inline NominalAccountRecord LedgerAccount(const char* name, double balance, double yearStart,
                                          double periodStart, double budget = 0) {
    NominalAccountRecord r;
    r.AccountName.set(name);
    r.Balance = balance;
    r.YearStartBalance = yearStart;
    r.PeriodStartBalance = periodStart;
    r.Budget = budget;
    return r;
}

}  // namespace tessary::testing
