#include "xmlout/xml_format.hpp"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
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
  // of any locale: d.ddddde[+-]xx
  char sci[64];
  const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                 std::chars_format::scientific, precision - 1);
  const std::string_view text(sci, static_cast<size_t>(res.ptr - sci));
  const size_t ePos = text.find('e');
  std::string mantissa;  // the significant digits, without the point
  for (char ch : text.substr(0, ePos))
    if (ch != '.') mantissa += ch;
  int exponent = 0;
  std::from_chars(text.data() + ePos + 1 + (text[ePos + 1] == '+' ? 1 : 0),
                  text.data() + text.size(), exponent);

  // The decimal is 0.mantissa x 10^(exponent + 1). Keep the digits in front
  // of the (digits+1)-th decimal place and round half away from zero there.
  const int intDigits = exponent + 1;
  const int keep = intDigits + digits;
  std::string kept;  // digits of value x 10^digits, without leading zeros
  if (keep <= 0) {
    kept = (keep == 0 && mantissa[0] >= '5') ? "1" : "0";
  } else {
    const int available = static_cast<int>(mantissa.size());
    kept = mantissa.substr(0, static_cast<size_t>(std::min(keep, available)));
    if (keep < available && mantissa[static_cast<size_t>(keep)] >= '5') {
      int i = static_cast<int>(kept.size()) - 1;
      while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
      if (i < 0)
        kept.insert(kept.begin(), '1');
      else
        ++kept[static_cast<size_t>(i)];
    }
    if (keep > available) kept.append(static_cast<size_t>(keep - available), '0');
  }

  // Pad so that there is at least one integer digit.
  if (static_cast<int>(kept.size()) < digits + 1)
    kept.insert(0, static_cast<size_t>(digits + 1) - kept.size(), '0');
  const size_t point = kept.size() - static_cast<size_t>(digits);
  size_t firstNonZero = 0;
  while (firstNonZero + 1 < point && kept[firstNonZero] == '0') ++firstNonZero;

  std::string out;
  const bool isZero = kept.find_first_not_of('0') == std::string::npos;
  if (std::signbit(value) && !isZero) out += '-';
  out.append(kept, firstNonZero, point - firstNonZero);
  if (digits > 0) {
    out += decimalSeparator;
    out.append(kept, point, std::string::npos);
  }
  return out;
}

double DateFromYmd(const std::string& text) { return OleFromYmdText(TrimControl(text)); }

}  // namespace korvun
