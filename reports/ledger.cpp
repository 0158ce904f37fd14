#include "reports/ledger.h"

#include <algorithm>
#include <string>

#include "core/money.h"
#include "core/text.h"
#include "nominal/surplus.h"

namespace tessary {

namespace {

const NominalAccountRecord& Account(const Ledger& accounts, int n) {
    static const NominalAccountRecord kNone{};
    if (n < 0 || static_cast<std::size_t>(n) >= accounts.size()) return kNone;
    return accounts[static_cast<std::size_t>(n)];
}

double Balance(const Ledger& a, int n) {
    return Account(a, n).Balance;
}
double YearMovement(const Ledger& a, int n) {
    return Account(a, n).Balance - Account(a, n).YearStartBalance;
}
double PeriodMovement(const Ledger& a, int n) {
    return Account(a, n).Balance - Account(a, n).PeriodStartBalance;
}
std::string Name(const Ledger& a, int n) {
    return Account(a, n).AccountName.str();
}

// The two running totals the statements' row writers share: debit and credit in the trial
// balance and balance sheet, period and year in profit and loss and cash flow.
struct Statement {
    ReportRows& rows;
    double first = 0;
    double second = 0;

    void Clear() { first = second = 0; }
    void Heading(std::string_view text) { rows.Line(RowKind::Heading, text); }
    void Blank() { rows.Blank(); }

    // The amount stands under the column of its section, whatever its sign.
    void Debit(const std::string& text, double amount) {
        if (IsZeroMoney(amount)) return;
        rows.Add(RowKind::Detail, "%-24s  %11f", {Cell::Text(text), Cell::Amount(amount)});
        AddToTotal(first, amount);
    }
    void Credit(const std::string& text, double amount) {
        if (IsZeroMoney(amount)) return;
        rows.Add(RowKind::Detail, "%-24s                 %11f",
                 {Cell::Text(text), Cell::Amount(amount)});
        AddToTotal(second, amount);
    }
    void PeriodYear(const std::string& text, double year, double period) {
        if (IsZeroMoney(year) && IsZeroMoney(period)) return;
        AddToTotal(first, period);
        AddToTotal(second, year);
        rows.Add(RowKind::Detail, "%-24s   %11f   %11f",
                 {Cell::Text(text), Cell::Amount(period), Cell::Amount(year)});
    }
    // Accounts from..to-1 under their names, by period and year movement.
    void PeriodYearRange(const Ledger& a, int from, int to) {
        for (int n = from; n < to; ++n)
            PeriodYear(Name(a, n), YearMovement(a, n), PeriodMovement(a, n));
    }
    // After an empty row, as both statements end.
    void Totals() {
        rows.Blank();
        rows.Add(RowKind::Total, "Totals                    %11f    %11f",
                 {Cell::Amount(first), Cell::Amount(second)});
    }
    void PeriodYearTotal(std::string_view label) { PeriodYearResult(label, first, second); }
    // A total or result by period and year under its label.
    void PeriodYearResult(std::string_view label, double period, double year) {
        rows.Add(RowKind::Total, "%-27s%11f   %11f",
                 {Cell::Text(label), Cell::Amount(period), Cell::Amount(year)});
    }
};

// The assets, liabilities and capital the trial balance and the balance sheet share.
void BalanceSection(const Ledger& a, Statement& st) {
    st.Clear();
    st.Blank();
    st.Heading("FIXED ASSETS");
    for (int n = kFixedAssetsStart; n < kCurrentAssetsStart; ++n)
        st.Debit(Name(a, n), Balance(a, n));
    st.Blank();
    st.Heading("CURRENT ASSETS");
    st.Debit("Loan Account", Balance(a, kLoansIssuedAccount) - Balance(a, kLoanRepaymentsAccount));
    st.Debit("Cash", Balance(a, kBankAccount));
    for (int n = kCurrentAssetsStart; n < kCurrentLiabilitiesStart; ++n) {
        st.Debit(Name(a, n), Balance(a, n));
    }
    st.Blank();
    st.Heading("CURRENT LIABILITIES");
    for (int n = kCurrentLiabilitiesStart; n < kCapitalStart; ++n)
        st.Credit(Name(a, n), Balance(a, n));
    st.Blank();
    st.Heading("CAPITAL");
    st.Credit("Share 1 Account",
              Balance(a, kShare1DepositsAccount) - Balance(a, kShare1WithdrawalsAccount));
    st.Credit("Share 2 Account",
              Balance(a, kShare2DepositsAccount) - Balance(a, kShare2WithdrawalsAccount));
    for (int n = kCapitalStart; n < kIncomeStart; ++n) st.Credit(Name(a, n), Balance(a, n));
    st.Blank();
}

std::string Number3(int n) {
    return PadLeft(std::to_string(n), 3);
}

// Variances of one section; `income` decides which way round over budget counts as good.
void VarianceSection(const Ledger& a, int from, int to, int periodNumber, bool income,
                     const char* totalLabel, std::vector<VarianceRow>& rows, VarianceRow& total) {
    double actuals = 0, toDate = 0, budgets = 0;
    const auto variance = [income](double actual, double budgetToDate) {
        // A budget whose share to date rounds to nothing has no variance to show.
        if (IsZeroMoney(budgetToDate)) return 0.0;
        return (income ? actual - budgetToDate : budgetToDate - actual) * 100 / budgetToDate;
    };
    // After the twelfth period end the period number is 13, yet the whole year's budget is
    // all that can be due; a number below 0 can only come from a damaged system record.
    const int periodsDue = std::clamp(periodNumber, 0, 12);
    for (int n = from; n < to; ++n) {
        const NominalAccountRecord& r = Account(a, n);
        if (IsZeroMoney(r.Budget)) continue;
        const double budgetToDate = RoundMoney(periodsDue * r.Budget / 12);
        const double actual = YearMovement(a, n);
        AddToTotal(actuals, actual);
        AddToTotal(toDate, budgetToDate);
        AddToTotal(budgets, r.Budget);
        rows.push_back({n, r.AccountName.str(), actual, budgetToDate,
                        variance(actual, budgetToDate), r.Budget - actual});
    }
    total = {-1, totalLabel, actuals, toDate, variance(actuals, toDate), budgets - actuals};
}

void AddVariance(const VarianceRow& row, ReportRows& rows) {
    if (row.account < 0) {
        rows.Add(RowKind::Total, "%-28s %11f %11f %11f %11f",
                 {Cell::Text(row.name), Cell::Amount(row.actual), Cell::Amount(row.budgetToDate),
                  Cell::Percent(row.variance), Cell::Amount(row.left)});
    } else {
        rows.Add(
            RowKind::Detail, "%3d %-24s %11f %11f %11f %11f",
            {Cell::Count(row.account), Cell::Text(row.name), Cell::Amount(row.actual),
             Cell::Amount(row.budgetToDate), Cell::Percent(row.variance), Cell::Amount(row.left)});
    }
}

}  // namespace

ReportRows NominalAccountListRows(const Ledger& accounts) {
    static const struct {
        int start;
        const char* heading;
    } kSections[] = {{kFixedAssetsStart, "FIXED ASSETS"},
                     {kCurrentAssetsStart, "CURRENT ASSETS"},
                     {kCurrentLiabilitiesStart, "CURRENT LIABILITIES"},
                     {kCapitalStart, "CAPITAL"},
                     {kIncomeStart, "INCOME"},
                     {kExpenditureStart, "EXPENDITURE"}};
    ReportRows rows;
    for (int n = kFixedAssetsStart; n < kNominalAccountCount; ++n) {
        for (const auto& section : kSections) {
            if (section.start != n) continue;
            if (n != kFixedAssetsStart) rows.Blank();
            rows.Add(RowKind::Heading, "     %s", {Cell::Text(section.heading)});
        }
        const NominalAccountRecord& r = Account(accounts, n);
        if (r.AccountName.empty()) continue;
        rows.Add(RowKind::Detail, "%-3s  %-24s    %11f",
                 {Cell::Count(n), Cell::Text(r.AccountName.view()), Cell::Amount(r.Budget)});
    }
    return rows;
}

void NominalAccountList(const Ledger& accounts, const LineSink& out) {
    RenderText(NominalAccountListRows(accounts), out);
}

ReportRows NominalTransactionsRows(const Ledger& accounts, const std::vector<NominalLogEntry>& log,
                                   const ReportSelection& selection) {
    ReportRows rows;
    const int chosen = selection.fromMember;
    double running = 0;
    AddToTotal(running, Account(accounts, chosen <= 0 ? kBankAccount : chosen).YearStartBalance);
    for (const NominalLogEntry& e : log) {
        double amount = e.Amount;
        if (chosen <= 0) {
            // Every entry as the bank sees it, from the bank's year-start balance.
            if (!AccountInRange(e.AccountNo)) amount = -amount;
        } else if (e.AccountNo != chosen) {
            continue;
        }
        AddToTotal(running, amount);  // entries outside the dates still move the balance
        if (e.Date < selection.fromDate || e.Date > selection.toDate) continue;
        // The bank's own entries show no account number.
        rows.Add(RowKind::Detail, "%-10s %-3s %3s %-30s %11f %11f",
                 {Cell::Date(e.Date), Cell::Text(e.UserCode.view()),
                  e.AccountNo == kBankAccount ? Cell{} : Cell::Count(e.AccountNo),
                  Cell::Text(e.Narrative.view()), Cell::Amount(amount), Cell::Amount(running)});
    }
    return rows;
}

void NominalTransactions(const Ledger& accounts, const std::vector<NominalLogEntry>& log,
                         const ReportSelection& selection, const LineSink& out) {
    RenderText(NominalTransactionsRows(accounts, log, selection), out);
}

BudgetVarianceRows BudgetVariancesRows(const Ledger& accounts, int periodNumber) {
    BudgetVarianceRows rows;
    VarianceSection(accounts, kIncomeStart, kExpenditureStart, periodNumber, true, "Total Income",
                    rows.income, rows.incomeTotal);
    VarianceSection(accounts, kExpenditureStart, kNominalAccountCount, periodNumber, false,
                    "Total Expenditure", rows.expenditure, rows.expenditureTotal);
    return rows;
}

ReportRows RowsOf(const BudgetVarianceRows& variances) {
    ReportRows rows;
    rows.Line(RowKind::Heading, "INCOME");
    for (const VarianceRow& row : variances.income) AddVariance(row, rows);
    AddVariance(variances.incomeTotal, rows);
    rows.Line(RowKind::Heading, "EXPENDITURE");
    for (const VarianceRow& row : variances.expenditure) AddVariance(row, rows);
    AddVariance(variances.expenditureTotal, rows);
    return rows;
}

void BudgetVariances(const Ledger& accounts, int periodNumber, const LineSink& out) {
    RenderText(RowsOf(BudgetVariancesRows(accounts, periodNumber)), out);
}

Chart BudgetVariancesChart(const BudgetVarianceRows& rows) {
    Chart chart = BarChart("Budget Variances", ChartKind::HorizontalBars, "Account", "Year to date",
                           {"Balance", "Budget"});
    for (const auto* section : {&rows.income, &rows.expenditure}) {
        for (const VarianceRow& row : *section)
            chart.Add(Number3(row.account) + " " + row.name, {row.actual, row.budgetToDate});
    }
    return chart;
}

ReportRows TrialBalanceRows(const Ledger& a) {
    ReportRows rows;
    Statement st{rows};
    BalanceSection(a, st);
    st.Heading("INCOME");
    st.Credit(Name(a, kLoanInterestAccount), YearMovement(a, kLoanInterestAccount));
    st.Credit(Name(a, kFeesAccount), YearMovement(a, kFeesAccount));
    for (int n = kIncomeStart; n < kExpenditureStart; ++n)
        st.Credit(Name(a, n), YearMovement(a, n));
    st.Blank();
    st.Heading("EXPENDITURE");
    for (int n = kExpenditureStart; n < kNominalAccountCount; ++n) {
        st.Debit(Name(a, n), YearMovement(a, n));
    }
    st.Totals();
    return rows;
}

void TrialBalance(const Ledger& a, const LineSink& out) {
    RenderText(TrialBalanceRows(a), out);
}

ReportRows BalanceSheetRows(const Ledger& a) {
    ReportRows rows;
    Statement st{rows};
    BalanceSection(a, st);
    st.Credit("Profit / Loss", YearSurplus(a));
    st.Totals();
    return rows;
}

void BalanceSheet(const Ledger& a, const LineSink& out) {
    RenderText(BalanceSheetRows(a), out);
}

ReportRows ProfitAndLossRows(const Ledger& a) {
    ReportRows rows;
    Statement st{rows};
    st.Heading("INCOME");
    st.PeriodYear(Name(a, kLoanInterestAccount), YearMovement(a, kLoanInterestAccount),
                  PeriodMovement(a, kLoanInterestAccount));
    st.PeriodYear(Name(a, kFeesAccount), YearMovement(a, kFeesAccount),
                  PeriodMovement(a, kFeesAccount));
    st.PeriodYearRange(a, kIncomeStart, kExpenditureStart);
    st.PeriodYearTotal("Total Income");
    st.Blank();
    const double incomePeriod = st.first, incomeYear = st.second;
    st.Clear();
    st.Heading("EXPENDITURE");
    st.PeriodYearRange(a, kExpenditureStart, kNominalAccountCount);
    st.PeriodYearTotal("Total Expenditure");
    st.Blank();
    st.PeriodYearResult("PROFIT/LOSS", incomePeriod - st.first, incomeYear - st.second);
    return rows;
}

void ProfitAndLoss(const Ledger& a, const LineSink& out) {
    RenderText(ProfitAndLossRows(a), out);
}

namespace {

// The period and year movements of accounts from..to-1 under their names, where they moved.
void MovedAccounts(const Ledger& a, int from, int to, std::vector<PeriodYearRow>& rows) {
    for (int n = from; n < to; ++n)
        rows.push_back({Name(a, n), PeriodMovement(a, n), YearMovement(a, n)});
}

// Leaves out the lines without movement and totals the rest, as the statement's lines do.
PeriodYearRow KeepMoved(std::vector<PeriodYearRow>& rows, const char* totalLabel) {
    std::erase_if(
        rows, [](const PeriodYearRow& r) { return IsZeroMoney(r.year) && IsZeroMoney(r.period); });
    PeriodYearRow total{totalLabel};
    for (const PeriodYearRow& r : rows) {
        AddToTotal(total.period, r.period);
        AddToTotal(total.year, r.year);
    }
    return total;
}

}  // namespace

CashFlowRows CashFlowRowsOf(const Ledger& a) {
    CashFlowRows rows;
    rows.receipts = {
        {"Share Deposits",
         PeriodMovement(a, kShare1DepositsAccount) + PeriodMovement(a, kShare2DepositsAccount),
         YearMovement(a, kShare1DepositsAccount) + YearMovement(a, kShare2DepositsAccount)},
        {"Loans Repaid", PeriodMovement(a, kLoanRepaymentsAccount),
         YearMovement(a, kLoanRepaymentsAccount)},
        {"Fees", PeriodMovement(a, kFeesAccount), YearMovement(a, kFeesAccount)},
        {"Interest", PeriodMovement(a, kLoanInterestAccount),
         YearMovement(a, kLoanInterestAccount)},
    };
    MovedAccounts(a, kCurrentLiabilitiesStart, kExpenditureStart, rows.receipts);
    rows.receiptsTotal = KeepMoved(rows.receipts, "Total Receipts");
    rows.payments = {
        {"Share Withdrawals",
         PeriodMovement(a, kShare1WithdrawalsAccount) +
             PeriodMovement(a, kShare2WithdrawalsAccount),
         YearMovement(a, kShare1WithdrawalsAccount) + YearMovement(a, kShare2WithdrawalsAccount)},
        {"Loans Allocated", PeriodMovement(a, kLoansIssuedAccount),
         YearMovement(a, kLoansIssuedAccount)},
    };
    MovedAccounts(a, kFixedAssetsStart, kCurrentLiabilitiesStart, rows.payments);
    MovedAccounts(a, kExpenditureStart, kNominalAccountCount, rows.payments);
    rows.paymentsTotal = KeepMoved(rows.payments, "Total Payments");
    rows.currentCash = Balance(a, kBankAccount);
    return rows;
}

ReportRows RowsOf(const CashFlowRows& flow) {
    ReportRows rows;
    Statement st{rows};
    const auto section = [&st](const char* heading, const std::vector<PeriodYearRow>& lines,
                               const PeriodYearRow& total) {
        st.Clear();
        st.Heading(heading);
        for (const PeriodYearRow& r : lines) st.PeriodYear(r.label, r.year, r.period);
        st.PeriodYearTotal(total.label);
        st.Blank();
    };
    section("RECEIPTS", flow.receipts, flow.receiptsTotal);
    section("PAYMENTS", flow.payments, flow.paymentsTotal);
    st.PeriodYearResult("CASH FLOW", flow.receiptsTotal.period - flow.paymentsTotal.period,
                        flow.receiptsTotal.year - flow.paymentsTotal.year);
    st.Blank();
    rows.Add(RowKind::Total, "%-27s%11f",
             {Cell::Text("CURRENT CASH"), Cell::Amount(flow.currentCash)});
    return rows;
}

void CashFlow(const Ledger& accounts, const LineSink& out) {
    RenderText(RowsOf(CashFlowRowsOf(accounts)), out);
}

Chart CashFlowChart(const CashFlowRows& rows) {
    Chart chart = BarChart("Cash Flow", ChartKind::HorizontalBars, "",
                           "Receipts, and payments below zero", {"Period", "Year"});
    for (const PeriodYearRow& r : rows.receipts) chart.Add(r.label, {r.period, r.year});
    for (const PeriodYearRow& r : rows.payments) chart.Add(r.label, {-r.period, -r.year});
    chart.Add("CASH FLOW", {rows.receiptsTotal.period - rows.paymentsTotal.period,
                            rows.receiptsTotal.year - rows.paymentsTotal.year});
    return chart;
}

}  // namespace tessary
