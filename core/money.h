#pragma once
// Money is a Double in currency units. Every stored result of arithmetic goes through
// RoundMoney; an amount is zero only when IsZeroMoney says so.

namespace tessary {

// Whole pence, exact halves to the even penny, the fraction scaled in extended precision.
double RoundMoney(double x);
// True for -0.005 < x < 0.005; both ends are outside.
bool IsZeroMoney(double x);
// True for a finite amount whose two-decimal text fits the 11 places amounts are shown in
// (-9999999.99 to 99999999.99).
bool AmountFits(double x);

}  // namespace tessary
