// The German messages of the result codes, Windows-1252.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/ole_date.hpp"
#include "base/status.hpp"

namespace korvun {

// The message for -1..-9 and -1015, nullptr for every other code.
const char* InternetErrorText(int32_t code);

// The message for a code, or nothing for a code without one (0 included).
// `today` is the date the -32 message shows.
std::optional<std::string> ErrorMessage(int32_t code, const ErrorDetails& details,
                                        const CivilDate& today);

// Every code that has a message, in the order of the table (for the manual).
std::vector<int32_t> MessageCodes();

// Every message, with every detail text at its cap, fits in this many bytes
// including the terminator.
inline constexpr size_t kMaxMessageBytes = 1024;

}  // namespace korvun
