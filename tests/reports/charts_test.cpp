// The figures the four charted reports hand over as rows, and the charts drawn from them, on
// the same hand-made records as their expected texts.

#include <gtest/gtest.h>

#include "core/dates.h"
#include "members/loan.h"
#include "reports/ledger.h"
#include "reports/ledgers.h"
#include "reports/portfolio.h"

namespace tessary {
namespace {

using testing::Day;
using testing::Loan;

using Values = std::vector<double>;
using Names = std::vector<std::string>;

using testing::LedgerAccount;

TEST(ReportCharts, DistributionOfLoansBandsAndTheirChart) {
    const std::vector<MemberRecord> members = {
        Loan(250, "01/01/2026"),     Loan(250.50, "01/03/2026"), Loan(251, "01/06/2026"),
        Loan(3000.99, "01/02/2026"), Loan(3001, "15/07/2026"),   Loan(0.5, "01/07/2026"),
        Loan(800, nullptr)};
    const LoanDistribution all = DistributionOfLoansRows(members, kDefaultFromDate);
    const Chart chart = DistributionOfLoansChart(all, kDefaultFromDate);
    EXPECT_EQ(chart.title, "Distribution of Loans");
    EXPECT_EQ(chart.kind, ChartKind::Bars);
    EXPECT_EQ(chart.categories, (Names{"1 to 250", "251 to 500", "501 to 1000", "1001 to 2000",
                                       "2001 to 3000", "Over 3000"}));
    ASSERT_EQ(chart.bars.size(), 1u);
    EXPECT_EQ(chart.bars[0].values, (Values{500.50, 251, 0, 0, 3000.99, 3001}));
    EXPECT_EQ(chart.line.name, "No");
    EXPECT_EQ(chart.line.values, (Values{2, 1, 0, 0, 1, 1}));

    // From a later date only the later loans count, and the chart says from when.
    const LoanDistribution later = DistributionOfLoansRows(members, Day("01/06/2026"));
    const Chart laterChart = DistributionOfLoansChart(later, Day("01/06/2026"));
    EXPECT_EQ(laterChart.title, "Distribution of Loans, made on or after 01/06/2026");
    EXPECT_EQ(laterChart.line.values, (Values{0, 1, 0, 0, 0, 1}));
}

TEST(ReportCharts, DelinquentLoansBandsAndTheirChart) {
    const DayNumber today = Day("08/12/2026");
    const Rates rates{.daily = 0, .monthly = true};  // interest due as stored: none here
    const auto monthly = [today](double balance, double shares, int days) {
        MemberRecord m;
        m.LoanAmount = 1000;
        m.LoanBalance = balance;
        m.Repayment = 100;
        m.Frequency.set("M");
        m.LoanDate = today - days - 1;
        m.Share1 = shares;
        return m;
    };
    MemberRecord unplanned;  // no repayment plan: counted as less than 30 days
    unplanned.LoanBalance = 300;
    unplanned.Share1 = 500;
    // 16 days, no plan, 92 days overdue, and a member without a loan (left out).
    const std::vector<MemberRecord> members = {monthly(850, 100, 92), unplanned,
                                               monthly(800, 0, 200), MemberRecord{}};
    const Delinquency bands = DelinquentLoansRows(members, rates, today);
    const Chart chart = DelinquentLoansChart(bands);
    EXPECT_EQ(chart.categories,
              (Names{"Less than 30 days", "Less than 60 days", "Less than 90 days",
                     "Less than 180 days", "Less than 365 days", "More than 365 days"}));
    ASSERT_EQ(chart.bars.size(), 3u);
    EXPECT_EQ(chart.bars[0].name, "Arrears");
    EXPECT_EQ(chart.bars[0].values, (Values{150, 0, 0, 400, 0, 0}));
    EXPECT_EQ(chart.bars[1].name, "Loans Value");
    EXPECT_EQ(chart.bars[1].values, (Values{1150, 0, 0, 800, 0, 0}));
    EXPECT_EQ(chart.bars[2].name, "Net Liability");
    EXPECT_EQ(chart.bars[2].values, (Values{750, 0, 0, 800, 0, 0}));
    EXPECT_EQ(chart.line.values, (Values{2, 0, 0, 1, 0, 0}));
}

TEST(ReportCharts, BudgetVarianceRowsAndTheirChart) {
    Ledger a(kNominalAccountCount);
    a[100] = LedgerAccount("Entrance Fees", 660, 0, 0, 1200);
    a[122] = LedgerAccount("Rent and Rates", 100, 0, 0, 0);  // no budget: left out
    a[124] = LedgerAccount("Insurance Premiums", 660, 0, 0, 1200);
    a[125] = LedgerAccount("Audit Fees", 0, 0, 0, 0.009);
    const BudgetVarianceRows rows = BudgetVariancesRows(a, 6);
    // The variances and totals are in the report's expected text; the rows keep the numbers.
    ASSERT_EQ(rows.expenditure.size(), 2u);
    EXPECT_EQ(rows.expenditure[1].account, 125);
    EXPECT_EQ(rows.expenditureTotal.account, -1);

    const Chart chart = BudgetVariancesChart(rows);
    EXPECT_EQ(chart.kind, ChartKind::HorizontalBars);
    // Income then expenditure, by number; the totals are not bars of their own.
    EXPECT_EQ(chart.categories,
              (Names{"100 Entrance Fees", "124 Insurance Premiums", "125 Audit Fees"}));
    ASSERT_EQ(chart.bars.size(), 2u);
    EXPECT_EQ(chart.bars[0].values, (Values{660, 660, 0}));
    EXPECT_EQ(chart.bars[1].values, (Values{600, 600, 0}));
}

TEST(ReportCharts, CashFlowRowsAndTheirChart) {
    Ledger a(kNominalAccountCount);
    a[0] = LedgerAccount("Cash at Bank", 1500, 1000, 1200);
    a[1] = LedgerAccount("Share 1 Deposits", 3000, 2000, 2500);
    a[3] = LedgerAccount("Loan Repayments", 800, 300, 600);
    a[5] = LedgerAccount("Share 1 Withdrawals", 700, 200, 500);
    a[7] = LedgerAccount("Loans Issued", 2000, 1000, 1800);
    a[20] = LedgerAccount("Office Equipment", 400, 400, 400);    // no movement: no line, no bar
    a[100] = LedgerAccount("Entrance Fees", 60, 0, 60);          // moved this year, not this period
    a[124] = LedgerAccount("Insurance Premiums", 250, 50, 150);  // a payment
    const CashFlowRows rows = CashFlowRowsOf(a);

    EXPECT_DOUBLE_EQ(rows.currentCash, 1500);

    // Payments point the other way from receipts, and the flow of cash comes last.
    const Chart chart = CashFlowChart(rows);
    EXPECT_EQ(chart.categories,
              (Names{"Share Deposits", "Loans Repaid", "Entrance Fees", "Share Withdrawals",
                     "Loans Allocated", "Insurance Premiums", "CASH FLOW"}));
    ASSERT_EQ(chart.bars.size(), 2u);
    EXPECT_EQ(chart.bars[0].name, "Period");
    EXPECT_EQ(chart.bars[0].values, (Values{500, 200, 0, -200, -200, -100, 200}));
    EXPECT_EQ(chart.bars[1].name, "Year");
    EXPECT_EQ(chart.bars[1].values, (Values{1000, 500, 60, -500, -1000, -200, -140}));
}

}  // namespace
}  // namespace tessary
