// Turning a trimmed CSV value into a number as the provider writes them:
// "," as decimal separator, "." as thousands separator.
#pragma once

#include <optional>
#include <string_view>

namespace korvun {

// A decimal number with "," as separator ("-12,5", "3", "1,5E3").
std::optional<double> ParseCommaDecimal(std::string_view text);

// Integer column: every "." removed, the number truncated toward zero;
// otherwise "True"/"False" in any letter case give 1/0. Empty: no value.
// The result may lie outside 32 bits; the database then refuses it.
std::optional<double> IntegerColumnValue(std::string_view text);

// Float column: the first "." is read as the decimal separator, further ones
// are dropped ("1234.56" and "1234,56" alike; "1.234,56" has no value).
std::optional<double> FloatColumnValue(std::string_view text);

// A plain decimal integer with optional sign, as order types are written.
std::optional<long long> ParsePlainInteger(std::string_view text);

}  // namespace korvun
