#include "plugin/settings.hpp"

#include <cctype>
#include <climits>

namespace korvun {

bool ParseDecimalInt(const std::string& text, int* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i >= text.size()) return false;
  long long n = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    n = n * 10 + (text[i] - '0');
    if (n > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) n = -n;
  if (n > INT_MAX || n < INT_MIN) return false;
  *value = static_cast<int>(n);
  return true;
}

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
  static const std::string kMarker = "xml_temp";
  std::string dir = xmlDir;
  for (size_t i = 0; i + kMarker.size() <= dir.size(); ++i) {
    bool match = true;
    for (size_t k = 0; k < kMarker.size() && match; ++k)
      match = std::tolower(static_cast<unsigned char>(dir[i + k])) == kMarker[k];
    if (match) {
      dir.erase(i, kMarker.size());
      break;
    }
  }
  return dir + "ZUV" + separator;
}

}  // namespace korvun
