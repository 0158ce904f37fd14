// The ledger reports and financial statements on a small hand-made ledger, against their
// expected texts.

#include "reports/ledger.h"

#include "core/dates.h"
#include "nominal/surplus.h"
#include "reports/expected.h"
#include "reports/ledgers.h"

namespace tessary {
namespace {

using testing::LedgerAccount;

double Day(const char* text) {
    return ParseDate(text, std::chrono::year{2026});
}

// Cash, members' shares and loans through the control accounts, one fixed asset, capital,
// one income and one expenditure account with budgets, and an account in use but idle.
Ledger SmallLedger() {
    Ledger a(kNominalAccountCount);
    a[0] = LedgerAccount("Cash at Bank", 1500, 1000, 1200);
    a[1] = LedgerAccount("Share 1 Deposits", 3000, 2000, 2500);
    a[3] = LedgerAccount("Loan Repayments", 800, 300, 600);
    a[4] = LedgerAccount("Fees", 50, 0, 20);
    a[5] = LedgerAccount("Share 1 Withdrawals", 700, 200, 500);
    a[7] = LedgerAccount("Loans Issued", 2000, 1000, 1800);
    a[8] = LedgerAccount("Loan Interest", 120, 20, 100);
    a[20] = LedgerAccount("Office Equipment", 400, 400, 400);
    a[80] = LedgerAccount("Undivided Earnings", 900, 900, 900);
    a[100] = LedgerAccount("Entrance Fees", 60, 0, 30, 100);
    a[124] = LedgerAccount("Insurance Premiums", 250, 50, 150, 1200);
    return a;
}

template <typename Report>
std::vector<std::string> Lines(Report report) {
    LineCollector c;
    report(c.sink());
    return c.lines;
}

TEST(LedgerReports, StatementsOfASmallLedger) {
    const Ledger a = SmallLedger();
    EXPECT_REPORT(Lines([&](const LineSink& o) { TrialBalance(a, o); }), "trial_balance.txt");
    EXPECT_REPORT(Lines([&](const LineSink& o) { BalanceSheet(a, o); }), "balance_sheet.txt");
    EXPECT_REPORT(Lines([&](const LineSink& o) { ProfitAndLoss(a, o); }), "profit_and_loss.txt");
    EXPECT_REPORT(Lines([&](const LineSink& o) { CashFlow(a, o); }), "cash_flow.txt");
    EXPECT_REPORT(Lines([&](const LineSink& o) { NominalAccountList(a, o); }),
                  "nominal_account_list.txt");
    // Fees 50 and interest 100 earned, entrance fees 60, premiums 200 spent.
    EXPECT_DOUBLE_EQ(YearSurplus(a), 10);
}

TEST(LedgerReports, BudgetVariancesAtPeriodSix) {
    Ledger a(kNominalAccountCount);
    a[100] = LedgerAccount("Entrance Fees", 660, 0, 0, 1200);
    a[122] = LedgerAccount("Rent and Rates", 100, 0, 0, 0);  // no budget: left out
    a[124] = LedgerAccount("Insurance Premiums", 660, 0, 0, 1200);
    // A budget whose share to date rounds to nothing has no variance, and no division fault.
    a[125] = LedgerAccount("Audit Fees", 0, 0, 0, 0.009);
    EXPECT_REPORT(Lines([&](const LineSink& o) { BudgetVariances(a, 6, o); }),
                  "budget_variances.txt");
}

// Period 13 follows the twelfth period end: the whole year's budget is due, never 13/12.
TEST(LedgerReports, BudgetToDateStopsAtTheYearsBudget) {
    Ledger a(kNominalAccountCount);
    a[100] = LedgerAccount("Entrance Fees", 1301.37, 0, 0, 1234.56);
    a[124] = LedgerAccount("Insurance Premiums", 987.65, 0, 0, 2345.67);
    const struct {
        int period;
        double income, expenditure;
    } cases[] = {{11, 1131.68, 2150.20}, {12, 1234.56, 2345.67}, {13, 1234.56, 2345.67}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.period);
        const BudgetVarianceRows rows = BudgetVariancesRows(a, c.period);
        ASSERT_EQ(rows.income.size(), 1u);
        ASSERT_EQ(rows.expenditure.size(), 1u);
        EXPECT_DOUBLE_EQ(rows.income[0].budgetToDate, c.income);
        EXPECT_DOUBLE_EQ(rows.incomeTotal.budgetToDate, c.income);
        EXPECT_DOUBLE_EQ(rows.expenditure[0].budgetToDate, c.expenditure);
        EXPECT_DOUBLE_EQ(rows.expenditureTotal.budgetToDate, c.expenditure);
    }
    const std::vector<std::string> lines =
        Lines([&](const LineSink& o) { BudgetVariances(a, 13, o); });
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1],
              "100 Entrance Fees                1301.37     1234.56        5.41      -66.81");
    EXPECT_EQ(lines[4],
              "124 Insurance Premiums            987.65     2345.67       57.89     1358.02");
}

TEST(LedgerReports, TransactionsWithTheRunningBalance) {
    const Ledger a = SmallLedger();
    const auto entry = [](const char* date, const char* user, int account, const char* text,
                          double amount) {
        NominalLogEntry e;
        e.Date = Day(date);
        e.UserCode.set(user);
        e.AccountNo = account;
        e.Narrative.set(text);
        e.Amount = amount;
        return e;
    };
    const std::vector<NominalLogEntry> log = {
        entry("01/12/2026", "ADM", 0, "In payments from members", 250),
        entry("02/12/2026", "ADM", 124, "Stamps", 100), entry("03/12/2026", "JAS", 100, "Fees", 30),
        entry("03/12/2026", "ADM", 0, "In payments from members", 40)};
    // Every account, as the bank sees it: the entry before the from date is not listed but
    // is in the first running balance.
    ReportSelection all;
    all.fromDate = Day("02/12/2026");
    EXPECT_REPORT(Lines([&](const LineSink& o) { NominalTransactions(a, log, all, o); }),
                  "nominal_transactions_all.txt");
    ReportSelection one;
    one.fromMember = 124;
    EXPECT_REPORT(Lines([&](const LineSink& o) { NominalTransactions(a, log, one, o); }),
                  "nominal_transactions_124.txt");
    ReportSelection beyond;
    beyond.fromMember = 200;  // no such account: nothing to list
    EXPECT_TRUE(Lines([&](const LineSink& o) { NominalTransactions(a, log, beyond, o); }).empty());
}

}  // namespace
}  // namespace tessary
