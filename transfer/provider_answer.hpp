// Error answers of the data provider: "Fehler <number> - <text>".
#pragma once

#include <cstddef>
#include <string_view>

#include "base/status.hpp"

namespace korvun {

// How many first bytes of a body tell an error answer from an archive.
inline constexpr std::size_t kProviderAnswerPrefixSize = 7;

// True when the body starts with exactly "Fehler ".
bool IsProviderErrorAnswer(std::string_view body);

// Reads number and text of an error answer the way the provider's answers
// have always been read: the status carries the number (0 when none could be
// read) and the text (at most 255 characters). An answer without any "-"
// carries no details, so the earlier ones stay.
Status ReadProviderErrorAnswer(std::string_view body);

// -31..-35 for the provider numbers 10..50, else -30.
ExportErrorCode ResultOfProviderError(int number);

}  // namespace korvun
