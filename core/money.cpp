#include "core/money.h"

#include <cmath>

#include "core/text.h"

namespace tessary {

static_assert(sizeof(long double) > sizeof(double),
              "RoundMoney scales the fraction in x87 extended precision");

double RoundMoney(double x) {
    if (!std::isfinite(x)) return x;
    const double i = std::trunc(x);
    const double f = x - i;  // exact: same sign as x, |f| < 1
    // The product is formed with a 64-bit mantissa, so 0.125 * 100 stays an exact half;
    // nearbyintl then takes it to the even penny (the program never leaves the default
    // round-to-nearest mode).
    const long double p = std::nearbyintl(static_cast<long double>(f) * 100.0L);
    const double q = static_cast<double>(p * 0.01L);
    return i + q;
}

bool IsZeroMoney(double x) {
    return x > -0.005 && x < 0.005;
}

bool AmountFits(double x) {
    return std::isfinite(x) && MoneyText(x).size() <= 11;
}

std::optional<double> ReadAmount(std::string_view text) {
    const auto value = ReadFiniteNumber(text);
    if (!value) return std::nullopt;
    const double amount = RoundMoney(*value);
    if (!AmountFits(amount)) return std::nullopt;
    return amount;
}

}  // namespace tessary
