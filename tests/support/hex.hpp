// Lower-case hex digits of bytes, for comparing binary results with the
// openssl tool's output.
#pragma once

#include <string>

namespace korvun::testing {

inline std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

}  // namespace korvun::testing
