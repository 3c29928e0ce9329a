#include "xmlout/xml_format.hpp"

#include <clocale>
#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "base/ole_date.hpp"

namespace korvun {
namespace {

TEST(XmlFloatStr, RoundsHalfAwayFromZeroOnTheDecimal) {
  // 2.675 is stored as 2.67499999...; the 15-digit decimal is 2.675.
  EXPECT_EQ(XMLFloatStr(2.675, 15, 2), "2.68");
  EXPECT_EQ(XMLFloatStr(-2.675, 15, 2), "-2.68");
  EXPECT_EQ(XMLFloatStr(12.34565, 15, 4), "12.3457");
  EXPECT_EQ(XMLFloatStr(1.005, 15, 2), "1.01");
  EXPECT_EQ(XMLFloatStr(0.125, 15, 2), "0.13");
  EXPECT_EQ(XMLFloatStr(0.005, 15, 2), "0.01");
  EXPECT_EQ(XMLFloatStr(0.0049, 15, 2), "0.00");
  EXPECT_EQ(XMLFloatStr(9.995, 15, 2), "10.00");
  EXPECT_EQ(XMLFloatStr(999.9999, 15, 2), "1000.00");
}

TEST(XmlFloatStr, FixedNotationWithExactlyTheDecimals) {
  EXPECT_EQ(XMLFloatStr(-1234.5, 15, 2), "-1234.50");
  EXPECT_EQ(XMLFloatStr(12.5, 15, 4), "12.5000");
  EXPECT_EQ(XMLFloatStr(0.9125, 15, 8), "0.91250000");
  EXPECT_EQ(XMLFloatStr(3, 15, 0), "3");
  EXPECT_EQ(XMLFloatStr(2.5, 15, 0), "3");
  EXPECT_EQ(XMLFloatStr(-2.5, 15, 0), "-3");
  EXPECT_EQ(XMLFloatStr(1234567.891, 15, 2), "1234567.89");
  EXPECT_EQ(XMLFloatStr(1e-20, 15, 2), "0.00");
}

TEST(XmlFloatStr, ZeroNeverCarriesAMinusSign) {
  EXPECT_EQ(XMLFloatStr(-0.0, 15, 4), "0.0000");
  EXPECT_EQ(XMLFloatStr(-0.001, 15, 2), "0.00");
  EXPECT_EQ(XMLFloatStr(-0.004999, 15, 2), "0.00");
  EXPECT_EQ(XMLFloatStr(0, 7, 0), "0");
  EXPECT_EQ(XMLFloatStr(0, 7, 2), "0.00");
}

TEST(XmlFloatStr, SignificantDigitsComeFirst) {
  // Seven digits for single precision: 1234.5678 -> 1234.568 -> 1234.57
  EXPECT_EQ(XMLFloatStr(1234.5678, 7, 4), "1234.5680");
  EXPECT_EQ(XMLFloatStr(123456789.0, 7, 2), "123456800.00");
  // 0.1 + 0.2 is 0.30000000000000004; 15 digits make it 0.3.
  EXPECT_EQ(XMLFloatStr(0.1 + 0.2, 15, 17), "0.30000000000000000");
}

TEST(XmlFloatStr, SeparatorIsTheCallersNotTheLocales) {
  // A comma locale, when the system has one, must change nothing.
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(XMLFloatStr(-1234.5, 15, 2), "-1234.50");
  EXPECT_EQ(XMLFloatStr(-1234.5, 15, 2, ','), "-1234,50");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(XmlDateStr, DayCountsSince18991230) {
  EXPECT_EQ(XMLDateStr(0), "1899-12-30");
  EXPECT_EQ(XMLDateStr(1), "1899-12-31");
  EXPECT_EQ(XMLDateStr(36526), "2000-01-01");
  EXPECT_EQ(XMLDateStr(39844.5873), "2009-01-31");
  EXPECT_EQ(XMLDateStr(-1), "1899-12-29");
  EXPECT_EQ(XMLDateStr(2958465), "9999-12-31");
  EXPECT_THROW(XMLDateStr(2958466), std::out_of_range);
  EXPECT_THROW(XMLDateStr(NAN), std::out_of_range);
}

TEST(XmlDateTimeStr, DateAndTimeOrTimeAlone) {
  const double d = OleFromCivil({2009, 1, 31}) + (14 * 3600 + 5 * 60 + 9) / 86400.0;
  EXPECT_EQ(XMLDateTimeStr(d), "2009-01-31T14:05:09");
  EXPECT_EQ(XMLDateTimeStr(0.75), "18:00:00");
  EXPECT_EQ(XMLDateTimeStr(0), "00:00:00");
}

TEST(DateFromYmd, ValidDatesOnly) {
  EXPECT_EQ(DateFromYmd("19650312"), OleFromCivil({1965, 3, 12}));
  EXPECT_EQ(DateFromYmd(" 19650312 "), OleFromCivil({1965, 3, 12}));
  EXPECT_EQ(DateFromYmd("20240229"), OleFromCivil({2024, 2, 29}));
  EXPECT_EQ(DateFromYmd("20230229"), 0);
  EXPECT_EQ(DateFromYmd("19651332"), 0);
  EXPECT_EQ(DateFromYmd("650312"), 0);
  EXPECT_EQ(DateFromYmd("0"), 0);
  EXPECT_EQ(DateFromYmd(""), 0);
  EXPECT_EQ(DateFromYmd("00000101"), 0);
  EXPECT_EQ(DateFromYmd("1965-3-1"), 0);
  EXPECT_EQ(DateFromYmd("-1965031"), 0);
}

}  // namespace
}  // namespace korvun
