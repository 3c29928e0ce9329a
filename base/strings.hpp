// Small text helpers every layer needs: ASCII case, padding, lines and
// numbers. Texts are bytes (Windows-1252 in the core); nothing here depends
// on the process locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvun {

// The longest detail text any layer keeps for a message or a log line: the
// host copies messages into a buffer whose size it does not tell us.
inline constexpr std::size_t kMaxDetailText = 255;

// The first `limit` bytes of a text.
std::string CutText(std::string_view text, std::size_t limit = kMaxDetailText);

char AsciiLower(char c);
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Position of `needle` in `text` compared without regard to ASCII case, or npos.
std::size_t FindIgnoreCase(std::string_view text, std::string_view needle);

// Without leading and trailing characters with codes up to 32 (blanks,
// tabs, line breaks and other control characters).
std::string_view TrimControl(std::string_view text);
// Without leading and trailing blanks, tabs and carriage returns.
std::string_view TrimBlanks(std::string_view text);
// Without trailing blanks: text as the database compares it (padded with
// blanks to equal length).
std::string_view WithoutTrailingBlanks(std::string_view text);

// The lines of a text split at CR LF, lone CR or lone LF; a final line break
// does not start another line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Every line break (CR LF, lone CR, lone LF) replaced by `replacement`.
std::string ReplaceLineBreaks(std::string_view text, std::string_view replacement);

// A decimal integer with an optional sign and nothing else; false for an
// empty text, other characters or a value outside int.
bool ParseDecimalInt(std::string_view text, int* value);

}  // namespace korvun
