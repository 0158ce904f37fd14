#pragma once
// The nominal ledger's reports and financial statements: account list (4), transactions with
// the running balance (5), budget variances (6), trial balance (7), profit and loss (8),
// balance sheet (9) and cash flow (14). Each reads the 160 accounts (and the log for the
// transactions) and gives rows (reports/rows.h); the one taking a LineSink renders them as the
// report's text. A short ledger's missing accounts read as empty.

#include <string>
#include <vector>

#include "core/records.h"
#include "reports/chart.h"
#include "reports/report.h"
#include "reports/rows.h"

namespace tessary {

using Ledger = std::vector<NominalAccountRecord>;

ReportRows NominalAccountListRows(const Ledger& accounts);
void NominalAccountList(const Ledger& accounts, const LineSink& out);
// `selection.fromMember` is the account chosen (0 or less: every entry, as the bank sees it).
ReportRows NominalTransactionsRows(const Ledger& accounts, const std::vector<NominalLogEntry>& log,
                                   const ReportSelection& selection);
void NominalTransactions(const Ledger& accounts, const std::vector<NominalLogEntry>& log,
                         const ReportSelection& selection, const LineSink& out);
// One line of the budget variances: an account with a budget, or a section's total.
struct VarianceRow {
    int account = -1;  // -1 for a total
    std::string name;
    double actual = 0;        // "Balance": the year's movement
    double budgetToDate = 0;  // "Budget": the year's budget's share to this period
    double variance = 0;      // "Variance %", positive when better than budget
    double left = 0;          // "Amount Left" of the year's budget
};
struct BudgetVarianceRows {
    std::vector<VarianceRow> income, expenditure;
    VarianceRow incomeTotal, expenditureTotal;
};

BudgetVarianceRows BudgetVariancesRows(const Ledger& accounts, int periodNumber);
// The variances as the report's rows: each section's lines and its total.
ReportRows RowsOf(const BudgetVarianceRows& variances);
void BudgetVariances(const Ledger& accounts, int periodNumber, const LineSink& out);
Chart BudgetVariancesChart(const BudgetVarianceRows& rows);
ReportRows TrialBalanceRows(const Ledger& accounts);
void TrialBalance(const Ledger& accounts, const LineSink& out);
ReportRows ProfitAndLossRows(const Ledger& accounts);
void ProfitAndLoss(const Ledger& accounts, const LineSink& out);
ReportRows BalanceSheetRows(const Ledger& accounts);
void BalanceSheet(const Ledger& accounts, const LineSink& out);
// A line of the cash flow: movements since the last period end and year end.
struct PeriodYearRow {
    std::string label;
    double period = 0, year = 0;
};
// The receipts and payments that move at all, in the order written, with their totals.
struct CashFlowRows {
    std::vector<PeriodYearRow> receipts, payments;
    PeriodYearRow receiptsTotal, paymentsTotal;
    double currentCash = 0;  // the bank's balance, whatever the movements add up to
};

CashFlowRows CashFlowRowsOf(const Ledger& accounts);
// The movements as the report's rows, then the cash flow and the current cash.
ReportRows RowsOf(const CashFlowRows& flow);
void CashFlow(const Ledger& accounts, const LineSink& out);
Chart CashFlowChart(const CashFlowRows& rows);

}  // namespace tessary
