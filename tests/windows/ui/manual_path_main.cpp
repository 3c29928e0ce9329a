// Prints, in UTF-8, the manual's path as the access-data dialog's "Anleitung"
// computes it for this program's folder: the installer test runs it from the
// installed host folder and checks that the setup program put the PDF there.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/windows/ui_access_data_dialog.hpp"

int main() {
  const std::wstring path = korvun::win::ManualPath();
  std::string utf8(path.size() * 3, '\0');
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                           utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
  std::printf("%.*s\n", length, utf8.data());
  return length > 0 ? 0 : 1;
}
