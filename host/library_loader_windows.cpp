#include <windows.h>

#include <vector>

#include "host/library_loader.hpp"

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

bool PluginLibrary::Load(const std::string& explicitPath, std::string* error) {
  std::vector<std::string> candidates;
  if (!explicitPath.empty()) {
    candidates.push_back(explicitPath);
  } else {
    const std::string dir = ProgramDir();
    candidates.push_back(dir + "KorvunZUV.dll");
    candidates.push_back(dir + "..\\bin\\KorvunZUV.dll");
  }
  HMODULE module = nullptr;
  for (const auto& path : candidates) {
    module = ::LoadLibraryA(path.c_str());
    if (module) break;
    *error = path + " nicht geladen (" + std::to_string(::GetLastError()) + ")";
  }
  if (!module) return false;
  handle_ = module;
  return BindExports(
      [module](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(module, name)); },
      &exports_, error);
}

PluginLibrary::~PluginLibrary() {
  if (handle_) ::FreeLibrary(static_cast<HMODULE>(handle_));
}

}  // namespace korvun::host
