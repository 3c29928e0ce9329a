#include <gtest/gtest.h>

#include "base/strings.hpp"

namespace korvun {
namespace {

TEST(DecimalIntTest, AcceptsSignedDigitsOnly) {
  int n = 0;
  EXPECT_TRUE(ParseDecimalInt("-12", &n));
  EXPECT_EQ(n, -12);
  EXPECT_TRUE(ParseDecimalInt("+7", &n));
  EXPECT_EQ(n, 7);
  EXPECT_FALSE(ParseDecimalInt("", &n));
  EXPECT_FALSE(ParseDecimalInt("-", &n));
  EXPECT_FALSE(ParseDecimalInt("12a", &n));
  EXPECT_FALSE(ParseDecimalInt("99999999999", &n));
  EXPECT_TRUE(ParseDecimalInt("-2147483648", &n));
  EXPECT_EQ(n, -2147483647 - 1);
}

TEST(Strings, LinesSplitAtEveryBreakKind) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\n\nb\n"), (V{"a", "", "b"}));  // no line after the final break
  EXPECT_EQ(SplitLines(""), V{});
  EXPECT_EQ(ReplaceLineBreaks("a\r\nb\rc\nd\r", "\n"), "a\nb\nc\nd\n");
}

TEST(Strings, CaseAndPadding) {
  EXPECT_TRUE(EqualsIgnoreCase("UserLogin", "USERlogin"));
  EXPECT_FALSE(EqualsIgnoreCase("\xE4", "\xC4"));  // ASCII only: the host compares so
  EXPECT_EQ(FindIgnoreCase("/a/XML_Temp/b", "xml_temp"), 3u);
  EXPECT_EQ(FindIgnoreCase("/a", "xml_temp"), std::string_view::npos);
  EXPECT_EQ(TrimControl("\t x y \r\n\x01"), "x y");
  EXPECT_EQ(TrimBlanks("\t x\x01 \r"), "x\x01");
  EXPECT_EQ(CutText(std::string(300, 'x')).size(), kMaxDetailText);
}


}  // namespace
}  // namespace korvun
