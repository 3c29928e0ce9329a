#include "transfer/provider_answer.hpp"

#include <climits>

namespace korvun {

namespace {

// A decimal integer after optional leading blanks and an optional sign;
// nothing else may follow.
bool ParseNumber(const std::string& text, int* number) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return false;
  *number = static_cast<int>(value);
  return true;
}

}  // namespace

bool IsProviderErrorAnswer(const std::string& body) { return body.rfind("Fehler ", 0) == 0; }

int ResultOfProviderError(int number) {
  switch (number) {
    case 10: return -31;
    case 20: return -32;
    case 30: return -33;
    case 40: return -34;
    case 50: return -35;
    default: return -30;
  }
}

int ReadProviderErrorAnswer(const std::string& body, ErrorDetails* errors) {
  const std::size_t dash = body.find('-');
  if (dash != std::string::npos) {
    errors->code = 0;
    errors->text.clear();
    // The number ends one character before the dash (normally the blank
    // in " - "); the text starts two characters after it.
    const std::size_t numberStart = 6;  // after "Fehler"
    const std::size_t numberEnd = dash >= numberStart + 1 ? dash - 1 : numberStart;
    int number = 0;
    if (ParseNumber(body.substr(numberStart, numberEnd - numberStart), &number)) {
      errors->code = number;
      if (dash + 2 < body.size())
        errors->text = body.substr(dash + 2, kMaxProviderTextLength);
    }
  }
  return ResultOfProviderError(errors->code);
}

}  // namespace korvun
