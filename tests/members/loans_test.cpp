#include "members/loans.h"

#include <gtest/gtest.h>

#include "core/dates.h"

namespace tessary {
namespace {

double Day(const char* text) {
    return ParseDate(text, std::chrono::year{2026});
}

RunState WithLoan(const char* frequency, double amount = 700, double repayment = 100,
                  double balance = 700) {
    RunState s;
    s.System.InterestMethod = 1;
    s.Member.LoanDate = Day("01/12/2026");
    s.Member.Frequency.set(frequency);
    s.Member.LoanAmount = amount;
    s.Member.Repayment = repayment;
    s.Member.LoanBalance = balance;
    return s;
}

TEST(Loans, RepaymentPeriodByFrequency) {
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("M")), 30.41667);
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("L")), 28);
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("F")), 14);
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("W")), 7);
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("w")), -1);  // letters compare exactly
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("")), -1);
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("W", 700, 0)), -1);
    EXPECT_EQ(RepaymentPeriodDays(WithLoan("W", 0, 100)), -1);
    RunState none = WithLoan("W");
    none.Member.LoanDate = 0;
    EXPECT_EQ(RepaymentPeriodDays(none), -1);
}

TEST(Loans, ArrearsFallDueAFullPeriodAndADayAfterTheLoanDate) {
    RunState s = WithLoan("W");
    s.WorkingDate = s.Member.LoanDate + 7;
    EXPECT_EQ(LoanArrears(s), 0);
    s.WorkingDate = s.Member.LoanDate + 8;
    EXPECT_EQ(LoanArrears(s), 100);
    s.WorkingDate = s.Member.LoanDate + 15;
    EXPECT_EQ(LoanArrears(s), 200);
    // What was paid counts against the instalments due: principal and interest alike.
    s.Member.LoanBalance = 650;
    s.Member.InterestPaid = 20;
    EXPECT_EQ(LoanArrears(s), 130);
}

TEST(Loans, ArrearsAreNeverNegativeNorMoreThanTheDebt) {
    RunState s = WithLoan("W", 700, 100, 30);
    s.Member.InterestDue = 5;
    s.WorkingDate = s.Member.LoanDate + 100;  // 14 instalments due: 1400, 670 paid
    EXPECT_EQ(LoanArrears(s), 35);            // capped at balance + interest due
    s.Member.LoanAmount = 2000;               // 1970 paid, more than is due
    EXPECT_EQ(LoanArrears(s), 0);
    s.WorkingDate = s.Member.LoanDate;
    EXPECT_EQ(LoanArrears(s), 0);
}

TEST(Loans, InterestDueByTheDayFromTheRecordTheTermsAndTheDate) {
    SystemRecord system;
    system.InterestRate = 1.15;  // percent a month: 13.8 a year over 365.25 days
    const Rates daily = RatesOf(system);
    system.InterestMethod = 1;
    const Rates monthly = RatesOf(system);
    struct Case {
        double balance, due;
        int days;
        Rates rates;
        double expected;
    };
    const Case cases[] = {
        {1234.57, 3.21, 37, daily, 20.47},   // 17.2586 accrued on what was due
        {1234.57, 3.21, 37, monthly, 3.21},  // charged at period end: only what is stored
        {987.65, 1.99, 0, daily, 1.99},      // paid today
        {0.004, 7.77, 365, daily, 0},        // no loan left: nothing due
        {0.005, 0, 365, daily, 0},           // a half penny for a year rounds to nothing
    };
    for (const Case& c : cases) {
        MemberRecord m;
        m.LoanBalance = c.balance;
        m.InterestDue = c.due;
        m.LastPayDate = Day("15/03/2026");
        EXPECT_DOUBLE_EQ(InterestDue(m, c.rates, m.LastPayDate + c.days), c.expected)
            << c.balance << " for " << c.days << " days";
    }
}

}  // namespace
}  // namespace tessary
