// Dates as the host passes them: a day count from 1899-12-30 whose fraction
// is the time of day; 0 means "no date".
#pragma once

#include <string>
#include <string_view>

namespace korvun {

struct CivilDate {
  int year = 1899, month = 12, day = 30;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Whole days since 1899-12-30 of a calendar date.
double OleFromCivil(const CivilDate& date);
// Calendar date of the day a day count falls on (the fraction is dropped,
// towards earlier days for negative counts as the OLE convention does).
CivilDate CivilFromOle(double oleDate);

// "yyyymmdd" of a day count.
std::string YmdText(double oleDate);
// "yyyy-mm-dd" of a day count.
std::string IsoDateText(double oleDate);
// Day count of "yyyymmdd"; 0 when the text is no existing date of the
// years 1 to 9999.
double OleFromYmdText(std::string_view ymd);

}  // namespace korvun
