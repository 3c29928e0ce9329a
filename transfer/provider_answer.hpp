// Error answers of the data provider: "Fehler <number> - <text>".
#pragma once

#include <string>

#include "plugin/module_state.hpp"

namespace korvun {

// The longest provider text we keep: the host copies the message into a
// buffer whose size it does not tell us.
inline constexpr std::size_t kMaxProviderTextLength = 255;

// True when the body starts with exactly "Fehler ".
bool IsProviderErrorAnswer(const std::string& body);

// Reads number and text of an error answer into *errors the way the
// provider's answers have always been read, and returns the result code
// (-30..-35). Without any "-" the details keep their earlier values.
int ReadProviderErrorAnswer(const std::string& body, ErrorDetails* errors);

// -31..-35 for the provider numbers 10..50, else -30.
int ResultOfProviderError(int number);

}  // namespace korvun
