// A downloaded archive of any shape, unpacked from its file into the data
// folder: damaged directories, lying sizes, odd names.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/progress.hpp"
#include "tests/fuzz/memory_env.hpp"
#include "transfer/csv_unpacker.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvun::fuzz::MemoryEnv env;
  const korvun::Reporter reporter;
  env.files["/daten/bestaende.zip"].assign(reinterpret_cast<const char*>(data), size);
  const auto result = korvun::UnpackCsvEntries(env, "/daten/bestaende.zip", "/daten/", reporter);
  // Nothing lands outside the target folder, and no partial file stays.
  for (const auto& [path, bytes] : env.files) {
    if (path.rfind("/daten/", 0) != 0 || path.find('/', 7) != std::string::npos) __builtin_trap();
    if (path.size() >= 5 && path.compare(path.size() - 5, 5, ".part") == 0) __builtin_trap();
  }
  if (result.extracted < 0 || result.failed < 0) __builtin_trap();
  return 0;
}
