#include "xmlout/xml_format.hpp"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "base/ole_date.hpp"
#include "base/strings.hpp"

namespace korvun {
namespace {

// Day counts of 0001-01-01 and of the day after 9999-12-31.
constexpr double kFirstDay = -693593;
constexpr double kEndDay = 2958466;

void CheckDateRange(double value) {
  if (!std::isfinite(value) || std::trunc(value) < kFirstDay || std::trunc(value) >= kEndDay)
    throw std::out_of_range("Datum au\xDF" "erhalb des g\xFCltigen Bereichs");
}

std::string TimeOfDay(double value) {
  // Milliseconds of the fraction, as the host's own date functions count them.
  long long ms = std::llround(std::fabs(value - std::trunc(value)) * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  const long long secs = ms / 1000;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(secs / 3600),
                static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
  return buf;
}

}  // namespace

std::string XMLDateStr(double value) {
  CheckDateRange(value);
  return IsoDateText(value);
}

std::string XMLDateTimeStr(double value) {
  CheckDateRange(value);
  if (std::trunc(value) == 0) return TimeOfDay(value);
  return IsoDateText(value) + "T" + TimeOfDay(value);
}

std::string XMLFloatStr(double value, int precision, int digits, char decimalSeparator) {
  if (precision < 1) precision = 1;
  if (precision > 17) precision = 17;
  if (digits < 0) digits = 0;
  if (digits > 18) digits = 18;
  if (!std::isfinite(value)) {
    // Never produced by the system; keep the text readable rather than crash.
    return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
  }

  // Correctly rounded decimal of `precision` significant digits, independent
  // of any locale: d.ddddde[+-]xx. Worked on in fixed buffers: this runs for
  // every amount of every transaction.
  char sci[64];
  const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                 std::chars_format::scientific, precision - 1);
  char mantissa[24];  // the significant digits, without the point
  int available = 0;
  const char* p = sci;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p != '.') mantissa[available++] = *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, exponent);

  // The decimal is 0.mantissa x 10^(exponent + 1). Keep the digits in front
  // of the (digits+1)-th decimal place and round half away from zero there.
  // At most 309 integer digits, 18 decimals and a carry.
  const int intDigits = exponent + 1;
  const int keep = intDigits + digits;
  char kept[340];  // digits of value x 10^digits, without leading zeros
  int length = 0;
  if (keep <= 0) {
    kept[length++] = (keep == 0 && mantissa[0] >= '5') ? '1' : '0';
  } else {
    length = std::min(keep, available);
    std::memcpy(kept + 1, mantissa, static_cast<size_t>(length));
    kept[0] = '0';  // room for a carry
    if (keep < available && mantissa[keep] >= '5') {
      int i = length;
      while (kept[i] == '9') kept[i--] = '0';
      ++kept[i];
    }
    for (int i = length; i < keep; ++i) kept[1 + i] = '0';
    length = keep + 1;
    if (kept[0] == '0') {
      std::memmove(kept, kept + 1, static_cast<size_t>(--length));
    }
  }

  // Pad so that there is at least one integer digit.
  if (length < digits + 1) {
    const int pad = digits + 1 - length;
    std::memmove(kept + pad, kept, static_cast<size_t>(length));
    std::memset(kept, '0', static_cast<size_t>(pad));
    length = digits + 1;
  }
  const int point = length - digits;
  int firstNonZero = 0;
  while (firstNonZero + 1 < point && kept[firstNonZero] == '0') ++firstNonZero;
  bool isZero = true;
  for (int i = 0; i < length && isZero; ++i) isZero = kept[i] == '0';

  char out[360];
  int n = 0;
  if (std::signbit(value) && !isZero) out[n++] = '-';
  for (int i = firstNonZero; i < point; ++i) out[n++] = kept[i];
  if (digits > 0) {
    out[n++] = decimalSeparator;
    for (int i = point; i < length; ++i) out[n++] = kept[i];
  }
  return std::string(out, static_cast<size_t>(n));
}

double DateFromYmd(const std::string& text) { return OleFromYmdText(TrimControl(text)); }

}  // namespace korvun
