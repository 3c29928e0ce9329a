#include "platform/windows/ui_wide_text.hpp"

#include <windows.h>

#include "base/text_encoding.hpp"

namespace korvun::win {

// Through UTF-8, whose conversions to and from UTF-16 Windows does the same
// under every code page; the Windows-1252 side is the core's own table.
std::wstring WideFromCp1252(std::string_view cp1252) {
  const std::string utf8 = Cp1252ToUtf8(cp1252);
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Cp1252FromWide(std::wstring_view wide) {
  const int size = static_cast<int>(wide.size());
  // Lone surrogates become U+FFFD here, and "?" below.
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string utf8(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return Utf8ToCp1252(utf8);
}

}  // namespace korvun::win
