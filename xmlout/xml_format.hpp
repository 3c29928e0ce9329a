// Text forms of dates and numbers in the import file. They never depend on
// the process locale: the host reads the file with fixed formats.
#pragma once

#include <string>

namespace korvun {

// The date part of a day count (since 1899-12-30) as "yyyy-mm-dd".
// Throws std::out_of_range for a day count outside the years 1 to 9999.
std::string XMLDateStr(double value);

// "hh:nn:ss" when the day part is 0, else "yyyy-mm-ddThh:nn:ss".
std::string XMLDateTimeStr(double value);

// value rounded to `precision` significant digits, then half away from zero
// to `digits` decimals, written with exactly `digits` decimals and the given
// separator; no grouping, no minus sign on a result of zero.
std::string XMLFloatStr(double value, int precision, int digits, char decimalSeparator = '.');

// Day count of a date given as "yyyymmdd" (blanks around it allowed);
// 0 when the text is no existing date of the years 1 to 9999.
double DateFromYmd(const std::string& text);

}  // namespace korvun
