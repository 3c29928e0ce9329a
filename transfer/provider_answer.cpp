#include "transfer/provider_answer.hpp"

#include "base/strings.hpp"

namespace korvun {

bool IsProviderErrorAnswer(std::string_view body) {
  static_assert(sizeof "Fehler " - 1 == kProviderAnswerPrefixSize);
  return body.substr(0, kProviderAnswerPrefixSize) == "Fehler ";
}

ExportErrorCode ResultOfProviderError(int number) {
  switch (number) {
    case 10: return ExportErrorCode::kProviderLogin;
    case 20: return ExportErrorCode::kProviderTimestamp;
    case 30: return ExportErrorCode::kProviderTryLater;
    case 40: return ExportErrorCode::kProviderOutdated;
    case 50: return ExportErrorCode::kProviderError50;
    default: return ExportErrorCode::kProviderError;
  }
}

Status ReadProviderErrorAnswer(std::string_view body) {
  const std::size_t dash = body.find('-');
  // The run sets the detail code to the request encoding's status, 0, before
  // every request: that is the number an answer without "-" is read as.
  if (dash == std::string_view::npos) return ResultOfProviderError(0);

  // The number ends one character before the dash (normally the blank in
  // " - "), may have blanks in front, and the text starts two characters
  // after the dash.
  const std::size_t numberStart = 6;  // after "Fehler"
  const std::size_t numberEnd = dash >= numberStart + 1 ? dash - 1 : numberStart;
  std::string_view number = numberEnd > numberStart
                                ? body.substr(numberStart, numberEnd - numberStart)
                                : std::string_view();
  while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
  int value = 0;
  std::string text;
  if (ParseDecimalInt(number, &value)) {
    if (dash + 2 < body.size()) text = CutText(body.substr(dash + 2));
  } else {
    value = 0;
  }
  return Status(ResultOfProviderError(value)).WithDetailCode(value).WithDetailText(text);
}

}  // namespace korvun
