#pragma once
// The annuity arithmetic of the loan calculator: repayments at the end of each period, nothing
// left owing at the end.

#include <optional>
#include <string_view>

namespace tessary {

// The repayment per period that pays off `loan` in `n` periods at rate `r` per period.
double Payment(double r, int n, double loan);

// The number of periods, with a fraction, that repayments of `payment` take to pay off
// `loan` at rate `r`; nothing when the repayment is 0 or does not cover one period's
// interest.
std::optional<double> NumberOfPeriods(double r, double payment, double loan);

// The number the whole text spells (blanks around it allowed), or nothing: a quote must not
// be worked out from the leading part of a mistyped figure.
std::optional<double> ReadExactNumber(std::string_view text);

}  // namespace tessary
