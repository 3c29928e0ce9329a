#include <gtest/gtest.h>

#include "plugin/access_data.hpp"

namespace korvun {
namespace {

TEST(AccessDataTest, FirstLineOfANameWinsWithoutRegardToCase) {
  const AccessData a = ParseAccessData("userlogin=4711\r\nUserLogin=0815\r\nPASSWORD=geheim");
  EXPECT_EQ(a.userLogin, "4711");
  EXPECT_EQ(a.password, "geheim");
}

TEST(AccessDataTest, LinesEndAtCrLfOrEitherAlone) {
  const AccessData a =
      ParseAccessData("UserLogin=a\rPassword=b\nVerBerNr=c\r\nVersionLastUsed=2.1.6");
  EXPECT_EQ(a.userLogin, "a");
  EXPECT_EQ(a.password, "b");
  EXPECT_EQ(a.verBerNr, "c");
  EXPECT_EQ(a.versionLastUsed, "2.1.6");
}

TEST(AccessDataTest, ValueIsAfterTheFirstEqualsAndTrimmed) {
  const AccessData a = ParseAccessData("Password= a=b \t\nUserLogin=\x01x y\x02");
  EXPECT_EQ(a.password, "a=b");
  EXPECT_EQ(a.userLogin, "x y");
}

TEST(AccessDataTest, BlankPasswordIsEmpty) {
  EXPECT_EQ(ParseAccessData("Password=    ").password, "");
}

TEST(AccessDataTest, FlagsAreTrueOnlyForTheWordTrue) {
  EXPECT_FALSE(ParseAccessData("NoMessageBoxes=yes").noMessageBoxes);
  EXPECT_TRUE(ParseAccessData("NoMessageBoxes= true ").noMessageBoxes);
  EXPECT_TRUE(ParseAccessData("EmbeddedIBServer=TrUe").embeddedIbServer);
  EXPECT_FALSE(ParseAccessData("EmbeddedIBServer=1").embeddedIbServer);
  EXPECT_FALSE(ParseAccessData("").embeddedIbServer);
  EXPECT_FALSE(ParseAccessData("NoMessageBoxes").noMessageBoxes);
}

TEST(AccessDataTest, MissingNamesAreEmpty) {
  const AccessData a = ParseAccessData("Sonstiges=1");
  EXPECT_EQ(a.userLogin, "");
  EXPECT_EQ(a.verBerNr, "");
}

}  // namespace
}  // namespace korvun
