#pragma once
// Money is a Double in currency units. Every stored result of arithmetic goes through
// RoundMoney; an amount is zero only when IsZeroMoney says so.

#include <optional>
#include <string_view>

namespace tessary {

// Whole pence, exact halves to the even penny, the fraction scaled in extended precision.
double RoundMoney(double x);
// True for -0.005 < x < 0.005; both ends are outside.
bool IsZeroMoney(double x);
// Finite, and its two-decimal text takes at most the 11 places that an amount field and a
// report column give it: -9999999.99 to 99999999.99.
bool AmountFits(double x);
// An amount typed into a field: read leniently and rounded to pence; nothing when the text
// spells no finite number or the amount does not fit.
std::optional<double> ReadAmount(std::string_view text);

}  // namespace tessary
