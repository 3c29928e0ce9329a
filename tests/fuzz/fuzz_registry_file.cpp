// A ".reg" file as an administrator drops it in: any encoding, any damage.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/product.hpp"
#include "platform/posix/registry_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const korvun::RegistryFile reg =
      korvun::RegistryFile::Parse(std::string(reinterpret_cast<const char*>(data), size));
  const std::string keys[] = {korvun::kSettingsKey,
                              "Software\\WOW6432Node\\Brenhalt\\Tarvo\\Korvun\\ZUV"};
  for (const auto& key : keys) {
    reg.KeyExists(key);
    std::string value;
    for (const char* name : {"DownloadSrvUrl", "Timeout", "ImportDB", "DebugMode", ""})
      reg.Read(key, name, &value);
  }
  return 0;
}
