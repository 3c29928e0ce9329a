// Platforms with one calling convention and no system exceptions through
// foreign frames: the host's function is called as it is.
#include "platform/host_call.hpp"

namespace korvun {

HostCallResult CallHostFunction(void* function, int32_t kind, int32_t value, const char* text) {
  reinterpret_cast<void (*)(int32_t, int32_t, const char*)>(function)(kind, value, text);
  return {};
}

}  // namespace korvun
