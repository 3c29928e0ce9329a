// Reading the provider's CSV files: whole file in memory, lines split at
// CR LF, lone CR or lone LF, fields split at ";" without any quoting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvun {

// Removes leading and trailing characters with codes up to 32.
std::string_view TrimControl(std::string_view text);

// The lines of a text; a final line break does not start another line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The ";"-separated fields of a line, untrimmed; n separators give n + 1.
void SplitFields(std::string_view line, std::vector<std::string_view>* fields);

// The whole file as bytes. Throws std::runtime_error with a German message
// when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace korvun
