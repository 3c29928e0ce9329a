#include "xmlout/sales_charge.hpp"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "xmlout/uint128.hpp"

namespace korvun {
namespace {

// A decimal value: sign x magnitude / 10^scale.
struct Decimal {
  bool negative = false;
  UInt128 magnitude;
  int scale = 0;
};

std::optional<UInt128> PowerOfTen(int exponent) {
  if (exponent < 0 || exponent > 38) return std::nullopt;
  UInt128 power{0, 1};
  for (int i = 0; i < exponent; ++i) power = *CheckedMultiply(power, {0, 10});
  return power;
}

// The shortest decimal that reads back as the same double, which is the text
// the column was filled from. Empty for infinities and NaN.
std::optional<Decimal> ShortestDecimal(double value) {
  char text[40];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  if (ec != std::errc()) return std::nullopt;
  // The text reads [-]d[.ddd]e(+|-)dd.
  Decimal d;
  const char* p = text;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  uint64_t digits = 0;
  int fractionDigits = 0;
  bool inFraction = false;
  for (; p < end && *p != 'e'; ++p) {
    if (*p == '.') {
      inFraction = true;
    } else if (*p >= '0' && *p <= '9') {
      digits = digits * 10 + static_cast<uint64_t>(*p - '0');  // at most 17 digits
      if (inFraction) ++fractionDigits;
    } else {
      return std::nullopt;
    }
  }
  if (p == end) return std::nullopt;
  ++p;
  if (p < end && *p == '+') ++p;
  int exponent = 0;
  if (std::from_chars(p, end, exponent).ec != std::errc()) return std::nullopt;
  exponent -= fractionDigits;

  d.magnitude = {0, digits};
  if (exponent < 0) {
    d.scale = -exponent;
  } else {
    const auto power = PowerOfTen(exponent);
    const auto magnitude = power ? CheckedMultiply(d.magnitude, *power) : std::nullopt;
    if (!magnitude) return std::nullopt;
    d.magnitude = *magnitude;
  }
  return d;
}

// Chains checked steps: the first that does not fit empties the result.
std::optional<UInt128> Times(std::optional<UInt128> a, std::optional<UInt128> b) {
  return a && b ? CheckedMultiply(*a, *b) : std::nullopt;
}
std::optional<UInt128> Plus(std::optional<UInt128> a, std::optional<UInt128> b) {
  return a && b ? CheckedAdd(*a, *b) : std::nullopt;
}

std::optional<double> ExactFee(double total, double charge, double discount) {
  const auto t = ShortestDecimal(total), c = ShortestDecimal(charge), d = ShortestDecimal(discount);
  if (!t || !c || !d) return std::nullopt;

  // With C = c / 10^cs and D = d / 10^ds: r = P / (10^4 x 10^(cs + ds)),
  // P = c x (100 x 10^ds - d). P carries the sign of r.
  const auto hundred = Times(UInt128{0, 100}, PowerOfTen(d->scale));
  if (!hundred) return std::nullopt;
  UInt128 rest;  // |100 - D| x 10^ds
  bool restNegative = false;
  if (d->negative) {
    const auto sum = CheckedAdd(*hundred, d->magnitude);
    if (!sum) return std::nullopt;
    rest = *sum;
  } else if (d->magnitude <= *hundred) {
    rest = Subtract(*hundred, d->magnitude);
  } else {
    rest = Subtract(d->magnitude, *hundred);
    restNegative = true;
  }
  if (c->magnitude == UInt128{} || rest == UInt128{} || c->negative != restNegative) return 0.0;
  const auto p = CheckedMultiply(c->magnitude, rest);

  // Cents = 100 x |T| x r / (1 + r) = 100 x t x P / (10^ts x (10^4 x 10^(cs + ds) + P)).
  const auto numerator = Times(Times(UInt128{0, 100}, t->magnitude), p);
  const auto denominator =
      Times(PowerOfTen(t->scale), Plus(PowerOfTen(4 + c->scale + d->scale), p));
  if (!numerator || !denominator) return std::nullopt;
  const auto division = Divide(*numerator, *denominator);
  if (!division || division->quotient.hi != 0) return std::nullopt;

  uint64_t cents = division->quotient.lo;
  const UInt128 twice = *CheckedAdd(division->remainder, division->remainder);
  if (twice > *denominator || (twice == *denominator && cents % 2 != 0)) {
    if (cents == UINT64_MAX) return std::nullopt;
    ++cents;
  }
  return static_cast<double>(cents) / 100;
}

}  // namespace

double RoundCentsHalfEven(double value) {
  const double scaled = value * 100;
  double whole = std::floor(scaled);
  const double rest = scaled - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return whole / 100;
}

double SalesChargeFee(double total, double charge, double discount) {
  if (const auto fee = ExactFee(total, charge, discount)) return *fee;
  const double rate = charge / 100 * (1 - discount / 100);
  if (!(rate > 0)) return 0.0;
  return RoundCentsHalfEven(std::fabs(total) * rate / (1 + rate));
}

}  // namespace korvun
