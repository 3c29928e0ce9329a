#include <gtest/gtest.h>

#include "transfer/provider_answer.hpp"

namespace korvun {
namespace {

TEST(ProviderAnswer, RecognisesOnlyTheExactPrefix) {
  EXPECT_TRUE(IsProviderErrorAnswer("Fehler 10 - x"));
  EXPECT_FALSE(IsProviderErrorAnswer("fehler 10 - x"));
  EXPECT_FALSE(IsProviderErrorAnswer("Fehler"));
  EXPECT_FALSE(IsProviderErrorAnswer("PK\x03\x04"));
}

TEST(ProviderAnswer, NumberAndTextAreRead) {
  ErrorDetails e{5, "alt"};
  EXPECT_EQ(ReadProviderErrorAnswer("Fehler 10 - Login falsch", &e), -31);
  EXPECT_EQ(e.code, 10);
  EXPECT_EQ(e.text, "Login falsch");
}

TEST(ProviderAnswer, NumbersMapToCodes) {
  const std::pair<int, int> table[] = {{10, -31}, {20, -32}, {30, -33}, {40, -34},
                                       {50, -35}, {99, -30}, {0, -30}};
  for (auto [number, code] : table) {
    ErrorDetails e;
    EXPECT_EQ(ReadProviderErrorAnswer("Fehler " + std::to_string(number) + " - t", &e), code);
    EXPECT_EQ(e.code, number);
  }
}

TEST(ProviderAnswer, LettersForTheNumberResetTheDetails) {
  ErrorDetails e{7, "alt"};
  EXPECT_EQ(ReadProviderErrorAnswer("Fehler zehn - Text", &e), -30);
  EXPECT_EQ(e.code, 0);
  EXPECT_EQ(e.text, "");
}

TEST(ProviderAnswer, DigitInFrontOfTheDashIsNotPartOfTheNumber) {
  ErrorDetails e;
  EXPECT_EQ(ReadProviderErrorAnswer("Fehler 10- Login", &e), -30);
  EXPECT_EQ(e.code, 1);
  EXPECT_EQ(e.text, "Login");  // from the second character after the dash
}

TEST(ProviderAnswer, WithoutDashTheDetailsStay) {
  ErrorDetails e{0, "vom letzten Mal"};
  EXPECT_EQ(ReadProviderErrorAnswer("Fehler 10 ohne Strich", &e), -30);
  EXPECT_EQ(e.code, 0);
  EXPECT_EQ(e.text, "vom letzten Mal");
}

TEST(ProviderAnswer, BlanksBeforeTheNumberAreSkipped) {
  ErrorDetails e;
  EXPECT_EQ(ReadProviderErrorAnswer("Fehler    30 - Wartung", &e), -33);
  EXPECT_EQ(e.code, 30);
  EXPECT_EQ(e.text, "Wartung");
}

TEST(ProviderAnswer, EmptyTextAfterTheDash) {
  ErrorDetails e{0, "x"};
  EXPECT_EQ(ReadProviderErrorAnswer("Fehler 20 -", &e), -32);
  EXPECT_EQ(e.code, 20);
  EXPECT_EQ(e.text, "");
}

TEST(ProviderAnswer, LongTextIsCutTo255Characters) {
  ErrorDetails e;
  const std::string text(1000, 'x');
  EXPECT_EQ(ReadProviderErrorAnswer("Fehler 50 - " + text, &e), -35);
  EXPECT_EQ(e.text, std::string(255, 'x'));
}

}  // namespace
}  // namespace korvun
