#include <gtest/gtest.h>

#include "tests/support/status_printing.hpp"
#include "transfer/provider_answer.hpp"

namespace korvun {
namespace {

using Code = ExportErrorCode;

TEST(ProviderAnswer, RecognisesOnlyTheExactPrefix) {
  EXPECT_TRUE(IsProviderErrorAnswer("Fehler 10 - x"));
  EXPECT_FALSE(IsProviderErrorAnswer("fehler 10 - x"));
  EXPECT_FALSE(IsProviderErrorAnswer("Fehler"));
  EXPECT_FALSE(IsProviderErrorAnswer("PK\x03\x04"));
}

TEST(ProviderAnswer, NumbersMapToCodes) {
  const std::pair<int, Code> table[] = {
      {10, Code::kProviderLogin},    {20, Code::kProviderTimestamp}, {30, Code::kProviderTryLater},
      {40, Code::kProviderOutdated}, {50, Code::kProviderError50},   {99, Code::kProviderError},
      {0, Code::kProviderError}};
  for (auto [number, code] : table) {
    const Status s = ReadProviderErrorAnswer("Fehler " + std::to_string(number) + " - t");
    EXPECT_EQ(s, code);
    EXPECT_EQ(s.detailCode(), number);
  }
}

// What an answer leaves in the module's details that held {7, "alt"} before.
TEST(ProviderAnswer, DetailsAsTheProviderWroteThem) {
  struct Case {
    std::string body;
    Code code;
    int32_t detailCode;
    std::string detailText;
  } cases[] = {
      {"Fehler 10 - Login falsch", Code::kProviderLogin, 10, "Login falsch"},
      {"Fehler zehn - Text", Code::kProviderError, 0, ""},  // letters reset the details
      {"Fehler 10- Login", Code::kProviderError, 1, "Login"},  // the digit before "-" is cut off
      {"Fehler 10 ohne Strich", Code::kProviderError, 7, "alt"},  // no "-": the details stay
      {"Fehler    30 - Wartung", Code::kProviderTryLater, 30, "Wartung"},
      {"Fehler 20 -", Code::kProviderTimestamp, 20, ""},
      {"Fehler 50 - " + std::string(1000, 'x'), Code::kProviderError50, 50, std::string(255, 'x')},
  };
  for (const Case& c : cases) {
    ErrorDetails details{7, "alt"};
    const Status s = ReadProviderErrorAnswer(c.body);
    details.Take(s);
    EXPECT_EQ(s, c.code) << c.body;
    EXPECT_EQ(details.code, c.detailCode) << c.body;
    EXPECT_EQ(details.text, c.detailText) << c.body;
  }
}

}  // namespace
}  // namespace korvun
