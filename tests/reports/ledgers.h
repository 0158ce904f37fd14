#pragma once
// Nominal accounts and loans made by hand for the report tests.

#include <chrono>

#include "core/dates.h"
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

// A date of 2026 (or of the year it names) as a day number.
inline double Day(const char* text) {
    return ParseDate(text, std::chrono::year{2026});
}

// A member with only a loan of `amount` granted on `date` (none when null).
inline MemberRecord Loan(double amount, const char* date) {
    MemberRecord m;
    m.LoanAmount = amount;
    m.LoanDate = date ? Day(date) : 0;
    return m;
}

}  // namespace tessary::testing
