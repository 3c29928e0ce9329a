#include <unistd.h>

#include <climits>

#include "base/text_encoding.hpp"
#include "host/plugin_location.hpp"

namespace korvun::host {
namespace {

std::string ProgramDir() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

std::vector<std::string> DefaultPluginPaths() {
  const std::string dir = PathForEnv(ProgramDir());
  return {dir + "libKorvunZUV.so", dir + "../lib/libKorvunZUV.so",
          // Where `cmake --install` and the package put it.
          dir + KORVUN_BIN_TO_PKGLIB "/libKorvunZUV.so"};
}

// File names and the terminal are UTF-8 here.
std::string PathForEnv(const std::string& path) { return Utf8ToCp1252(path); }
std::string EnvTextForHost(const std::string& text) { return Cp1252ToUtf8(text); }

}  // namespace korvun::host
