#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "base/german_format.hpp"

namespace korvun {
namespace {

// The library's formats must not follow the process locale.
class GermanFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    std::setlocale(LC_ALL, "English_United States.1252");
#else
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    // Whichever foreign locale this machine has; "C" at worst.
    if (!std::setlocale(LC_ALL, "en_US.UTF-8")) std::setlocale(LC_ALL, "C.UTF-8");
#endif
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
#ifndef _WIN32
    ::unsetenv("LC_ALL");
#endif
  }
  const GermanFormat& f = GermanFormat::Get();
};

TEST_F(GermanFormatTest, NumbersWithGroupsAndDecimalComma) {
  EXPECT_EQ(f.Number(1234.5, 2), "1.234,50");
  EXPECT_EQ(f.Number(-1234567.891, 2), "-1.234.567,89");
  EXPECT_EQ(f.Number(12, 0), "12");
  EXPECT_EQ(f.Number(0.5, 3), "0,500");
}

TEST_F(GermanFormatTest, DatesAndTimes) {
  const CivilDate d{2026, 12, 7};
  EXPECT_EQ(f.ShortDate(d), "07.12.2026");
  EXPECT_EQ(f.LongDate(d), "Montag, 7. Dezember 2026");
  EXPECT_EQ(f.LongDate({2026, 3, 1}), "Sonntag, 1. M\xE4rz 2026");
  EXPECT_EQ(f.ShortTime(14, 5), "14:05");
  EXPECT_EQ(f.LongTime(14, 5, 9), "14:05:09");
}

TEST_F(GermanFormatTest, NameTables) {
  EXPECT_STREQ(f.shortMonthNames[2], "M\xE4r");
  EXPECT_STREQ(f.longDayNames[0], "Sonntag");
  EXPECT_STREQ(f.shortDayNames[6], "Sa");
}

}  // namespace
}  // namespace korvun
