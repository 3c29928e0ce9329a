#include "base/ole_date.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace korvun {
namespace {
constexpr std::chrono::sys_days kEpoch =
    std::chrono::year{1899} / std::chrono::December / std::chrono::day{30};
}

double OleFromCivil(const CivilDate& date) {
  using namespace std::chrono;
  sys_days d = year{date.year} / month{static_cast<unsigned>(date.month)} /
               day{static_cast<unsigned>(date.day)};
  return static_cast<double>((d - kEpoch).count());
}

CivilDate CivilFromOle(double oleDate) {
  using namespace std::chrono;
  // OLE dates before the epoch carry the time as a positive fraction of a
  // negative day; the day is the integer part either way.
  const auto days = static_cast<long>(std::trunc(oleDate));
  year_month_day ymd{kEpoch + std::chrono::days{days}};
  return CivilDate{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                   static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

std::string YmdText(double oleDate) {
  const CivilDate c = CivilFromOle(oleDate);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", c.year, c.month, c.day);
  return buf;
}

std::string IsoDateText(double oleDate) {
  const CivilDate c = CivilFromOle(oleDate);
  if (c.year < 0 || c.year > 9999) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
    return buf;
  }
  // Every transaction's date goes through here: digits by hand.
  char text[10] = {static_cast<char>('0' + c.year / 1000), static_cast<char>('0' + c.year / 100 % 10),
                   static_cast<char>('0' + c.year / 10 % 10), static_cast<char>('0' + c.year % 10), '-',
                   static_cast<char>('0' + c.month / 10), static_cast<char>('0' + c.month % 10), '-',
                   static_cast<char>('0' + c.day / 10), static_cast<char>('0' + c.day % 10)};
  return std::string(text, sizeof text);
}

double OleFromYmdText(std::string_view ymd) {
  if (ymd.size() != 8) return 0;
  for (char ch : ymd)
    if (ch < '0' || ch > '9') return 0;
  const int year = (ymd[0] - '0') * 1000 + (ymd[1] - '0') * 100 + (ymd[2] - '0') * 10 + (ymd[3] - '0');
  const int month = (ymd[4] - '0') * 10 + (ymd[5] - '0');
  const int day = (ymd[6] - '0') * 10 + (ymd[7] - '0');
  if (year < 1) return 0;
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                            std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return 0;
  return OleFromCivil({year, month, day});
}

}  // namespace korvun
