// The access data a host passes to every run: any bytes, any length.
#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin/access_data.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const korvun::AccessData access = korvun::ParseAccessData(text);
  // Every value is a piece of the input.
  if (access.userLogin.size() > size || access.password.size() > size) __builtin_trap();
  korvun::ParseFlag(text);
  return 0;
}
