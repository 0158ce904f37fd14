#include "core/money.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tessary
