#include "plugin/host_progress.hpp"

#include "platform/host_call.hpp"

namespace korvun {

ProgressSink HostProgressSink(KorvunProgressCallback function, bool* left) {
  return [function, left](int32_t kind, int32_t value, const char* text) {
    if (*left) return;
    const HostCallResult result =
        CallHostFunction(reinterpret_cast<void*>(function), kind, value, text);
    if (result.returned) return;
    *left = true;
    throw HostLeftRun{result.exceptionCode};
  };
}

}  // namespace korvun
