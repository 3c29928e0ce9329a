// The Win32 face talks to Windows in UTF-16, so the dialogs show the same
// characters under every ANSI code page; the product's texts stay
// Windows-1252 and are converted here, at the edge.
#pragma once

#include <string>
#include <string_view>

namespace korvun::win {

std::wstring WideFromCp1252(std::string_view cp1252);
// Characters without a Windows-1252 byte (Cyrillic, CJK, emoji, a lone
// surrogate) each become one "?": the core never sees bytes of another
// code page.
std::string Cp1252FromWide(std::wstring_view wide);

}  // namespace korvun::win
