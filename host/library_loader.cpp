#include "host/library_loader.hpp"

#include <vector>

#include "host/plugin_location.hpp"
#include "platform/env.hpp"

namespace korvun::host {

bool PluginLibrary::Load(const std::string& explicitPath, std::string* error) {
  const std::vector<std::string> candidates =
      explicitPath.empty() ? DefaultPluginPaths()
                           : std::vector<std::string>{PathForEnv(explicitPath)};
  Env& env = Env::Default();
  std::string lastError = "Bibliothek nicht gefunden";
  for (const auto& path : candidates) {
    std::string failure;
    handle_ = env.LoadSharedLibrary(path, &failure);
    if (handle_) break;
    lastError = failure.empty() ? path : failure;
  }
  if (!handle_) {
    *error = EnvTextForHost(lastError);
    return false;
  }
  return BindExports([&env, this](const char* name) { return env.FindSymbol(handle_, name); },
                     &exports_, error);
}

PluginLibrary::~PluginLibrary() {
  if (handle_) Env::Default().ReleaseSharedLibrary(handle_);
}

}  // namespace korvun::host
