// The sales charge contained in a gross amount, in whole cents.
#pragma once

namespace korvun {

// |total| x r / (1 + r) with r = charge / 100 x (1 - discount / 100), both
// in per cent; 0 when r is not positive. Rounded to whole cents, exact
// halves to the even cent. The columns hold short decimals, so the rounding
// is decided on their decimal values in exact integer arithmetic: the
// result is the same on every target, whatever precision its floating-point
// unit works in. Values too large or with too many decimals for that fall
// back to floating-point arithmetic.
double SalesChargeFee(double total, double charge, double discount);

// Whole cents of a floating-point value, exact halves to the even cent.
double RoundCentsHalfEven(double value);

}  // namespace korvun
