#include "plugin/settings.hpp"

#include "base/strings.hpp"

namespace korvun {

RunSettings ReadRunSettings(Env& env, ModuleState& module) {
  RunSettings settings;
  module.downloadSrvUrl = kDefaultDownloadUrl;
  module.debugMode = 0;

  // Reads one value; false when the read fails (non-string type).
  auto read = [&](const char* name, std::string* text) -> RegistryRead {
    return env.ReadRegistryString(kSettingsKey, name, text);
  };
  auto readInt = [&](const char* name, int fallback, int* target) -> bool {
    std::string text;
    const RegistryRead r = read(name, &text);
    if (r == RegistryRead::kWrongType) return false;
    int n = 0;
    *target = (r == RegistryRead::kString && ParseDecimalInt(text, &n)) ? n : fallback;
    return true;
  };
  auto readText = [&](const char* name, const std::string& fallback, std::string* target) -> bool {
    std::string text;
    const RegistryRead r = read(name, &text);
    if (r == RegistryRead::kWrongType) return false;
    *target = r == RegistryRead::kString ? text : fallback;
    return true;
  };

  const bool complete = readText("DownloadSrvUrl", kDefaultDownloadUrl, &module.downloadSrvUrl) &&
                        readInt("DebugMode", 0, &module.debugMode) &&
                        readText("ImportDB", "", &module.importDb) &&
                        readText("DataDir", "", &settings.dataDir) &&
                        readInt("Timeout", kDefaultTimeoutSeconds, &module.timeoutSeconds);
  if (!complete) module.downloadSrvUrl = kDefaultDownloadUrl;
  return settings;
}

std::string DeriveDataDir(const std::string& xmlDir, char separator) {
  static constexpr std::string_view kMarker = "xml_temp";
  std::string dir = xmlDir;
  const size_t marker = FindIgnoreCase(dir, kMarker);
  if (marker != std::string::npos) dir.erase(marker, kMarker.size());
  return dir + "ZUV" + separator;
}

}  // namespace korvun
