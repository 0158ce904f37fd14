#pragma once
// The nominal ledger's reports and financial statements: account list (4), transactions with
// the running balance (5), budget variances (6), trial balance (7), profit and loss (8),
// balance sheet (9) and cash flow (14). Each reads the 160 accounts (and the log for the
// transactions) and writes lines; a short ledger's missing accounts read as empty.

#include <vector>

#include "core/records.h"
#include "reports/report.h"

namespace tessary {

using Ledger = std::vector<NominalAccountRecord>;

void NominalAccountList(const Ledger& accounts, const LineSink& out);
// `selection.fromMember` is the account chosen (0 or less: every entry, as the bank sees it).
void NominalTransactions(const Ledger& accounts, const std::vector<NominalLogEntry>& log,
                         const ReportSelection& selection, const LineSink& out);
void BudgetVariances(const Ledger& accounts, int periodNumber, const LineSink& out);
void TrialBalance(const Ledger& accounts, const LineSink& out);
void ProfitAndLoss(const Ledger& accounts, const LineSink& out);
void BalanceSheet(const Ledger& accounts, const LineSink& out);
void CashFlow(const Ledger& accounts, const LineSink& out);

}  // namespace tessary
