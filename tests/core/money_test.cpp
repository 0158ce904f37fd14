#include "core/money.h"

#include <gtest/gtest.h>

#include <limits>

namespace tessary {
namespace {

TEST(Money, RoundsToWholePenceWithHalvesToEven) {
    EXPECT_EQ(RoundMoney(0.125), 0.12);
    EXPECT_EQ(RoundMoney(0.375), 0.38);
    EXPECT_EQ(RoundMoney(-1.125), -1.12);
    EXPECT_EQ(RoundMoney(2.004), 2.00);
    EXPECT_EQ(RoundMoney(2.006), 2.01);
    EXPECT_EQ(RoundMoney(-2.006), -2.01);
    EXPECT_EQ(RoundMoney(1234567.5), 1234567.5);
    EXPECT_EQ(RoundMoney(0), 0);
    // Already whole pence stay as they are, including sums that drift in binary.
    EXPECT_EQ(RoundMoney(0.1 + 0.2), 0.3);
    EXPECT_EQ(RoundMoney(100.07), 100.07);
}

TEST(Money, ZeroIsAnOpenInterval) {
    EXPECT_FALSE(IsZeroMoney(0.005));
    EXPECT_FALSE(IsZeroMoney(-0.005));
    EXPECT_TRUE(IsZeroMoney(0.0049));
    EXPECT_TRUE(IsZeroMoney(-0.0049));
    EXPECT_TRUE(IsZeroMoney(0));
    EXPECT_FALSE(IsZeroMoney(0.01));
}

TEST(Money, AmountFitsElevenPlacesOfTwoDecimalText) {
    for (double fits : {0.0, 0.01, -0.01, 99999999.99, -9999999.99, 12345678.9, -0.004})
        EXPECT_TRUE(AmountFits(fits)) << fits;
    // One penny past either end needs a twelfth place.
    for (double wide : {100000000.0, 99999999.996, -10000000.0, -9999999.996, 1e308, -1e9})
        EXPECT_FALSE(AmountFits(wide)) << wide;
    for (double nonFinite :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(AmountFits(nonFinite));
}

TEST(Money, ReadAmountRoundsToPenceAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(ReadAmount("10.556"), 10.56);
    EXPECT_EQ(ReadAmount("99999999.99"), 99999999.99);
    EXPECT_EQ(ReadAmount("-9999999.99"), -9999999.99);
    EXPECT_EQ(ReadAmount(""), 0);
    EXPECT_EQ(ReadAmount("12abc"), 12);  // lenient reading is kept
    // Rounding decides: this rounds up into a twelfth place.
    EXPECT_EQ(ReadAmount("99999999.996"), std::nullopt);
    for (const char* refused :
         {"1e308", "nan", "inf", "-inf", "-1e9", "1e400", "100000000", "-10000000"})
        EXPECT_EQ(ReadAmount(refused), std::nullopt) << refused;
}

}  // namespace
}  // namespace tessary
