// The library's own German number, date and time formats. Immutable, and
// independent of the process locale, which the library never touches.
#pragma once

#include <array>
#include <string>

#include "base/ole_date.hpp"

namespace korvun {

class GermanFormat {
 public:
  static const GermanFormat& Get();

  const char thousandsSeparator = '.';
  const char decimalSeparator = ',';
  const int currencyDecimals = 2;
  const char dateSeparator = '.';
  const char timeSeparator = ':';
  // Texts in Windows-1252, January first / Sunday first.
  const std::array<const char*, 12> shortMonthNames = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                                                       "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
  const std::array<const char*, 12> longMonthNames = {
      "Januar", "Februar", "M\xE4rz",   "April",   "Mai",      "Juni",
      "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  const std::array<const char*, 7> shortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
  const std::array<const char*, 7> longDayNames = {"Sonntag",  "Montag",  "Dienstag", "Mittwoch",
                                                   "Donnerstag", "Freitag", "Samstag"};

  // 1234.5 with 2 decimals: "1.234,50".
  std::string Number(double value, int decimals) const;
  // dd.MM.yyyy
  std::string ShortDate(const CivilDate& date) const;
  // DDDD, d. MMMM yyyy
  std::string LongDate(const CivilDate& date) const;
  // HH:mm and HH:mm:ss, 24-hour clock.
  std::string ShortTime(int hour, int minute) const;
  std::string LongTime(int hour, int minute, int second) const;
  // 0 = Sunday.
  static int DayOfWeek(const CivilDate& date);

 private:
  GermanFormat() = default;
};

}  // namespace korvun
