#include "staging/value_conversion.hpp"

#include <charconv>
#include <cmath>
#include <string>

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
  // handed to from_chars, which never depends on the process locale.
  std::string plain;
  plain.reserve(text.size());
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    plain += text[i++];
    ++digits;
  }
  if (i < text.size() && text[i] == ',') {
    plain += '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      plain += text[i++];
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    size_t expDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      plain += text[i++];
      ++expDigits;
    }
    if (expDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> IntegerColumnValue(std::string_view text) {
  std::string digits;
  digits.reserve(text.size());
  for (char c : text) {
    if (c != '.') digits += c;
  }
  if (auto value = ParseCommaDecimal(digits)) return std::trunc(*value);
  if (EqualsNoCase(text, "True")) return 1.0;
  if (EqualsNoCase(text, "False")) return 0.0;
  return std::nullopt;
}

std::optional<double> FloatColumnValue(std::string_view text) {
  std::string value(text);
  const size_t firstDot = value.find('.');
  if (firstDot != std::string::npos) {
    value[firstDot] = ',';
    std::string rest;
    rest.reserve(value.size());
    for (char c : value) {
      if (c != '.') rest += c;
    }
    value.swap(rest);
  }
  return ParseCommaDecimal(value);
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
