// The loan book and control reports on hand-made members, against their expected texts.

#include "reports/portfolio.h"

#include "core/dates.h"
#include "core/money.h"
#include "members/loan.h"
#include "reports/expected.h"
#include "reports/ledgers.h"

namespace tessary {
namespace {

using testing::Day;
using testing::Loan;

// A monthly loan of 1000 repaid at 100 a month, `days` + 1 days old on the working date.
MemberRecord MonthlyLoan(double balance, double shares, int days, DayNumber today) {
    MemberRecord m;
    m.LoanAmount = 1000;
    m.LoanBalance = balance;
    m.Repayment = 100;
    m.Frequency.set("M");
    m.LoanDate = today - days - 1;
    m.Share1 = shares;
    return m;
}

std::vector<std::string> Lines(const std::function<void(const LineSink&)>& report) {
    LineCollector c;
    report(c.sink());
    return c.lines;
}

TEST(PortfolioReports, DistributionBandsByAmountWithCents) {
    const std::vector<MemberRecord> members = {
        Loan(250, "01/01/2026"),     Loan(250.50, "01/03/2026"), Loan(251, "01/06/2026"),
        Loan(3000.99, "01/02/2026"), Loan(3001, "15/07/2026"),   Loan(0.5, "01/07/2026"),
        Loan(800, nullptr)};  // no loan date: never counted
    EXPECT_REPORT(
        Lines([&](const LineSink& o) { DistributionOfLoans(members, kDefaultFromDate, o); }),
        "distribution_of_loans.txt");
    EXPECT_REPORT(
        Lines([&](const LineSink& o) { DistributionOfLoans(members, Day("01/06/2026"), o); }),
        "distribution_of_loans_from.txt");
}

TEST(PortfolioReports, DaysOverdueAndTheDelinquencyBands) {
    const DayNumber today = Day("08/12/2026");
    const Rates rates{.daily = 0, .monthly = true};  // interest due as stored: none here
    // Three monthly repayments due (92 days), 150 paid short of them: 1.5 repayments behind,
    // 15.2 days cut to 15, plus 1.
    const MemberRecord behind = MonthlyLoan(850, 100, 92, today);
    EXPECT_EQ(LoanArrears(behind, rates, today), 150);
    EXPECT_EQ(DaysOverdue(behind, rates, today), 16);
    // Exactly one repayment behind: 1 day.
    const MemberRecord oneBehind = MonthlyLoan(800, 0, 92, today);
    EXPECT_EQ(LoanArrears(oneBehind, rates, today), 100);
    EXPECT_EQ(DaysOverdue(oneBehind, rates, today), 1);
    // No repayment plan: -1, which counts under "Less than 30  days".
    MemberRecord unplanned;
    unplanned.LoanBalance = 300;
    unplanned.Share1 = 500;
    EXPECT_EQ(DaysOverdue(unplanned, rates, today), -1);

    // Four repayments behind: 3 × 30.41667 = 91.25 days, so 92.
    const std::vector<MemberRecord> members = {MonthlyLoan(850, 100, 92, today), unplanned,
                                               MonthlyLoan(800, 0, 200, today), MemberRecord{}};
    EXPECT_REPORT(Lines([&](const LineSink& o) { DelinquentLoans(members, rates, today, o); }),
                  "delinquent_loans.txt");
}

TEST(PortfolioReports, EachBandStartsAtItsBoundDay) {
    // A weekly loan of 43.21 some repayments behind, so that it is `days` overdue: half a day
    // past days - 1 repayment periods, clear of rounding either way.
    const DayNumber today = Day("08/12/2026");
    const Rates rates{.daily = 0, .monthly = true};
    const auto overdue = [today](int days) {
        constexpr double kRepayment = 43.21;
        constexpr int kPeriodsDue = 60;
        MemberRecord m;
        m.Frequency.set("W");
        m.Repayment = kRepayment;
        m.LoanDate = today - kPeriodsDue * 7 - 1;
        m.LoanAmount = 9876.54;
        const double arrears = RoundMoney(kRepayment * (1 + (days - 0.5) / 7));
        m.LoanBalance = m.LoanAmount - (kPeriodsDue * kRepayment - arrears);
        m.Share1 = 1234.56;
        return m;
    };
    const struct {
        int days;
        std::size_t band;
    } kCases[] = {{29, 0}, {30, 1},  {31, 1},  {59, 1},  {60, 2},  {61, 2},  {89, 2}, {90, 3},
                  {91, 3}, {179, 3}, {180, 4}, {181, 4}, {364, 4}, {365, 5}, {366, 5}};
    for (const auto& c : kCases) {
        const MemberRecord m = overdue(c.days);
        ASSERT_EQ(DaysOverdue(m, rates, today), c.days);
        const ReportRows report = RowsOf(DelinquentLoansRows({m}, rates, today));
        ASSERT_EQ(report.rows.size(), 7u);
        for (std::size_t b = 0; b < 6; ++b) {
            const std::vector<Cell>& cells = report.rows[b].cells;
            const bool here = b == c.band;
            EXPECT_EQ(cells[1].count, here ? 1 : 0) << c.days << " days, band " << b;
            EXPECT_NEAR(cells[2].value, here ? LoanArrears(m, rates, today) : 0, 1e-9) << c.days;
            EXPECT_NEAR(cells[4].value, here ? m.LoanBalance - m.Share1 : 0, 1e-9) << c.days;
        }
    }
}

TEST(PortfolioReports, InsuranceAgainstGeneralAndPersonalLimits) {
    SystemRecord sys;
    sys.MaxInsuredShares = 2000;
    sys.MaxInsuredLoan = 1000;
    MemberRecord within;  // 5000 saved against a personal limit of 6000: not above any limit
    within.Share1 = 5000;
    within.MaxShares = 6000;
    MemberRecord general;  // no limits of its own: 500 above each general limit
    general.Share1 = 2000;
    general.Share2 = 500;
    general.LoanBalance = 1500;
    MemberRecord personal;  // its own limits: 200 and 400 above them
    personal.Share1 = 1000;
    personal.MaxShares = 800;
    personal.LoanBalance = 900;
    personal.MaxLoan = 500;
    EXPECT_REPORT(Lines([&](const LineSink& o) {
                      InsuranceReport({within, general, personal}, sys, o);
                  }),
                  "insurance.txt");
}

TEST(PortfolioReports, SystemControlWithinTheDates) {
    const auto entry = [](const char* date, const char* user, const char* text, double amount) {
        SyslogRecord r;
        r.Date = Day(date);
        r.UserCode.set(user);
        r.Description.set(text);
        r.Amount = amount;
        return r;
    };
    const std::vector<SyslogRecord> log = {
        entry("30/11/2026", "ADM", "Post Members Transactions", 10),
        entry("02/12/2026", "ADM", "Post Nominal Transactions", -70),
        entry("05/12/2026", "JAS", "Post Members Transactions", 250.5),
        entry("06/12/2026", "ADM", "Period End", 0)};
    EXPECT_REPORT(Lines([&](const LineSink& o) {
                      SystemControl(log, Day("01/12/2026"), Day("05/12/2026"), o);
                  }),
                  "system_control.txt");
}

}  // namespace
}  // namespace tessary
