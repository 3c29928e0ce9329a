// The German messages of the result codes, Windows-1252.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "plugin/module_state.hpp"
#include "plugin/ole_date.hpp"

namespace korvun {

// The message for a code, or nothing for a code without one (0 included).
// `today` is the date the -32 message shows.
std::optional<std::string> ErrorMessage(int32_t code, const ErrorDetails& details,
                                        const CivilDate& today);

// Every message, with every detail text at its cap, fits in this many bytes
// including the terminator.
inline constexpr size_t kMaxMessageBytes = 1024;
// The cap of a detail text inserted into a message.
inline constexpr size_t kMaxDetailTextBytes = 255;

}  // namespace korvun
