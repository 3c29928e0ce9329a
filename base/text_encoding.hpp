// Windows-1252 is the library's text at the boundary and in the core;
// terminals and desktops speak UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace korvun {

std::string Cp1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 byte become "?".
std::string Utf8ToCp1252(std::string_view text);

}  // namespace korvun
