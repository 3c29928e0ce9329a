#include "base/german_format.hpp"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace korvun {

const GermanFormat& GermanFormat::Get() {
  static const GermanFormat format;
  return format;
}

std::string GermanFormat::Number(double value, int decimals) const {
  char buf[400];
  // to_chars never looks at the process locale.
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "0";
  std::string plain(buf, end);
  bool negative = !plain.empty() && plain[0] == '-';
  if (negative) plain.erase(0, 1);
  const auto point = plain.find('.');
  std::string whole = plain.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : plain.substr(point + 1);
  std::string grouped;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += thousandsSeparator;
    grouped += whole[i];
  }
  std::string out = negative ? "-" + grouped : grouped;
  if (!fraction.empty()) out += decimalSeparator + fraction;
  return out;
}

std::string GermanFormat::ShortDate(const CivilDate& d) const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d", d.day, dateSeparator, d.month, dateSeparator,
                d.year);
  return buf;
}

int GermanFormat::DayOfWeek(const CivilDate& d) {
  using namespace std::chrono;
  const sys_days day = year{d.year} / month{static_cast<unsigned>(d.month)} /
                       std::chrono::day{static_cast<unsigned>(d.day)};
  return static_cast<int>(weekday{day}.c_encoding());
}

std::string GermanFormat::LongDate(const CivilDate& d) const {
  return std::string(longDayNames[DayOfWeek(d)]) + ", " + std::to_string(d.day) + ". " +
         longMonthNames[d.month - 1] + " " + std::to_string(d.year);
}

std::string GermanFormat::ShortTime(int hour, int minute) const {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d%c%02d", hour, timeSeparator, minute);
  return buf;
}

std::string GermanFormat::LongTime(int hour, int minute, int second) const {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02d%c%02d%c%02d", hour, timeSeparator, minute, timeSeparator,
                second);
  return buf;
}

}  // namespace korvun
