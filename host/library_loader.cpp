#include "host/library_loader.hpp"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <vector>

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

bool PluginLibrary::Load(const std::string& explicitPath, std::string* error) {
  std::vector<std::string> candidates;
  if (!explicitPath.empty()) {
    candidates.push_back(explicitPath);
  } else {
    const std::string dir = ProgramDir();
    candidates.push_back(dir + "libKorvunZUV.so");
    candidates.push_back(dir + "../lib/libKorvunZUV.so");
    // Where `cmake --install` and the package put it.
    candidates.push_back(dir + KORVUN_BIN_TO_PKGLIB "/libKorvunZUV.so");
  }
  std::string lastError = "Bibliothek nicht gefunden";
  for (const auto& path : candidates) {
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_) break;
    const char* e = ::dlerror();
    lastError = e ? e : path;
  }
  if (!handle_) {
    *error = lastError;
    return false;
  }
  return BindExports([this](const char* name) { return ::dlsym(handle_, name); }, &exports_, error);
}

PluginLibrary::~PluginLibrary() {
  if (handle_) ::dlclose(handle_);
}

}  // namespace korvun::host
