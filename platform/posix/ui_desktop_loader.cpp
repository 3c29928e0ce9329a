// Loads the desktop face from its module, found beside our own image (or in
// the lib folder next to it, as in a build tree).
#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/fltk/desktop_module.hpp"
#include "platform/ui.hpp"

namespace korvun {
namespace {

std::string OwnDirectory() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&MakeDesktopUi), &info) == 0 || !info.dli_fname) return "";
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::vector<std::string> ModuleCandidates() {
  std::vector<std::string> out;
  if (const char* explicitPath = std::getenv("KORVUN_UI_MODULE"); explicitPath && *explicitPath)
    out.emplace_back(explicitPath);
  const std::string dir = OwnDirectory();
  if (!dir.empty()) {
    out.push_back(dir + kDesktopModuleFile);
    out.push_back(dir + "../lib/" + kDesktopModuleFile);
  }
  return out;
}

}  // namespace

std::unique_ptr<Ui> MakeDesktopUi() {
  // Without a display there is nothing to load: a server without X11
  // libraries never touches the module.
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return nullptr;
  for (const std::string& candidate : ModuleCandidates()) {
    void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) continue;
    auto factory =
        reinterpret_cast<KorvunDesktopUiFactory>(::dlsym(module, kDesktopFactoryName));
    Ui* ui = factory ? factory(kDesktopUiAbi) : nullptr;
    if (ui) return std::unique_ptr<Ui>(ui);  // the module stays loaded for good
    ::dlclose(module);
    return nullptr;
  }
  return nullptr;
}

}  // namespace korvun
