#include "staging/value_conversion.hpp"

#include <charconv>
#include <cmath>

namespace korvun {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::optional<double> ParseCommaDecimal(std::string_view text) {
  // Checked by hand so that only this exact form passes; the digits are then
  // handed to from_chars, which never depends on the process locale. Values
  // are short: a buffer on the stack saves an allocation per value.
  char buffer[128];
  if (text.size() >= sizeof buffer) return std::nullopt;
  size_t out = 0;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') buffer[out++] = '-';
    ++i;
  }
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    buffer[out++] = text[i++];
    ++digits;
  }
  if (i < text.size() && text[i] == ',') {
    buffer[out++] = '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      buffer[out++] = text[i++];
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    buffer[out++] = 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) buffer[out++] = text[i++];
    size_t expDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      buffer[out++] = text[i++];
      ++expDigits;
    }
    if (expDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(buffer, buffer + out, value);
  if (result.ec != std::errc() || result.ptr != buffer + out) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> IntegerColumnValue(std::string_view text) {
  char buffer[128];
  if (text.size() < sizeof buffer) {
    size_t out = 0;
    for (char c : text) {
      if (c != '.') buffer[out++] = c;
    }
    if (auto value = ParseCommaDecimal(std::string_view(buffer, out))) return std::trunc(*value);
  }
  if (EqualsNoCase(text, "True")) return 1.0;
  if (EqualsNoCase(text, "False")) return 0.0;
  return std::nullopt;
}

std::optional<double> FloatColumnValue(std::string_view text) {
  char buffer[128];
  if (text.size() >= sizeof buffer) return std::nullopt;
  size_t out = 0;
  bool firstDot = true;
  for (char c : text) {
    if (c == '.') {
      if (!firstDot) continue;
      firstDot = false;
      c = ',';
    }
    buffer[out++] = c;
  }
  return ParseCommaDecimal(std::string_view(buffer, out));
}

std::optional<long long> ParsePlainInteger(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size() || !IsDigit(text[i])) return std::nullopt;
  long long value = 0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace korvun
