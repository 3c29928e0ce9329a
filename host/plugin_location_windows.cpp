#include <windows.h>

#include "host/plugin_location.hpp"

namespace korvun::host {
namespace {

std::string ProgramDir() {
  char path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return ".\\";
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

}  // namespace

std::vector<std::string> DefaultPluginPaths() {
  const std::string dir = ProgramDir();
  return {dir + "KorvunZUV.dll", dir + "..\\bin\\KorvunZUV.dll"};
}

// The narrow API speaks Windows-1252 on both sides. A path the user gave is
// made full against the current folder, as LoadLibrary would have read it:
// Env never looks in the current folder for a bare name.
std::string PathForEnv(const std::string& path) {
  char full[MAX_PATH];
  const DWORD n = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n == 0 || n >= MAX_PATH ? path : std::string(full, n);
}
std::string EnvTextForHost(const std::string& text) { return text; }

}  // namespace korvun::host
