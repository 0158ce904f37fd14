// The loan calculator's arithmetic: the quotes a user is given before a loan is granted.

#include "calculator/annuity.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/money.h"

namespace tessary {
namespace {

TEST(Payment, QuotesTheMonthlyRepaymentOfAYearsLoanAtOnePercent) {
    const double repayment = RoundMoney(Payment(0.01, 12, 1000));
    EXPECT_DOUBLE_EQ(repayment, 88.85);
    EXPECT_NEAR(12 * repayment, 1066.20, 1e-9);
    EXPECT_NEAR(12 * repayment - 1000, 66.20, 1e-9);
}

TEST(Payment, WithoutInterestSplitsTheLoanEvenly) {
    EXPECT_DOUBLE_EQ(Payment(0, 12, 1200), 100);
    EXPECT_DOUBLE_EQ(Payment(0, 1, 350), 350);
}

TEST(Payment, NearZeroRatesAgreeWithTheExactFormula) {
    // Below the cut-over the series form is used; either side of it the quote barely moves.
    const auto exact = [](double r, int n, double loan) {
        const double c = std::pow(1 + r, n);
        return loan * c * r / (c - 1);
    };
    EXPECT_NEAR(Payment(0.00005, 12, 1200), exact(0.00005, 12, 1200), 1e-5);
    EXPECT_NEAR(Payment(-0.00005, 12, 1200), exact(-0.00005, 12, 1200), 1e-5);
    EXPECT_NEAR(Payment(0.0000609, 36, 5000), Payment(0.0000611, 36, 5000), 0.001);
    EXPECT_GT(Payment(0.00005, 12, 1200), 100);
}

TEST(Payment, AnEndlessLoanPaysOnlyTheInterest) {
    // (1 + r)^n beyond 1e16: the capital hardly matters any more.
    EXPECT_DOUBLE_EQ(Payment(0.5, 200, 1000), 500);
    EXPECT_DOUBLE_EQ(Payment(0.01, 100000, 1000), 10);
}

TEST(NumberOfPeriods, CountsRepaymentsWithTheFinalPart) {
    const auto q = NumberOfPeriods(0.01, 100, 1000);
    ASSERT_TRUE(q.has_value());
    EXPECT_NEAR(*q, 10.5886, 1e-4);
    EXPECT_EQ(std::trunc(*q), 10);
    EXPECT_DOUBLE_EQ(RoundMoney((*q - 10) * 100), 58.86);
    EXPECT_DOUBLE_EQ(RoundMoney(*q * 100), 1058.86);
}

TEST(NumberOfPeriods, IsTheInverseOfPayment) {
    for (const double r : {0.01, 0.0023, 0.05}) {
        for (const int n : {1, 12, 60}) {
            const auto q = NumberOfPeriods(r, Payment(r, n, 5000), 5000);
            ASSERT_TRUE(q.has_value()) << r << " " << n;
            EXPECT_NEAR(*q, n, 1e-6) << r << " " << n;
        }
    }
}

TEST(NumberOfPeriods, FailsWhenTheRepaymentNeverClearsTheLoan) {
    EXPECT_FALSE(NumberOfPeriods(0.01, 10, 1000).has_value());  // exactly one month's interest
    EXPECT_FALSE(NumberOfPeriods(0.01, 9.99, 1000).has_value());
    EXPECT_FALSE(NumberOfPeriods(0.01, 0, 1000).has_value());
    EXPECT_FALSE(NumberOfPeriods(0, 0, 1000).has_value());
    EXPECT_TRUE(NumberOfPeriods(0.01, 10.01, 1000).has_value());
}

TEST(NumberOfPeriods, NearZeroRatesDivideTheLoan) {
    EXPECT_DOUBLE_EQ(*NumberOfPeriods(0, 100, 1200), 12);
    EXPECT_DOUBLE_EQ(*NumberOfPeriods(0.00006, 100, 1250), 12.5);
}

TEST(ReadExactNumber, TakesOnlyAWholeNumberText) {
    EXPECT_EQ(ReadExactNumber("1000"), 1000);
    EXPECT_EQ(ReadExactNumber("  1000.50 "), 1000.5);
    EXPECT_EQ(ReadExactNumber("-5"), -5);
    EXPECT_EQ(ReadExactNumber("+.5"), 0.5);
    EXPECT_EQ(ReadExactNumber("5."), 5);
    EXPECT_EQ(ReadExactNumber("1.5e3"), 1500);
    EXPECT_EQ(ReadExactNumber("2E-2"), 0.02);
    for (const char* bad : {"", "   ", "abc", "12abc", "1,000", "1 000", "+", ".", "-.", "1e",
                            "1e+", "e5", "1.2.3", "nan", "inf", "1e999", "--1"}) {
        EXPECT_FALSE(ReadExactNumber(bad).has_value()) << '"' << bad << '"';
    }
}

}  // namespace
}  // namespace tessary
