// GetExportErrorMsg's text for every code, detail number and detail text:
// never more than the host's buffer holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "base/strings.hpp"
#include "plugin/messages.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int32_t codes[] = {0,   -1,  -2,  -3,  -4,  -5,  -6,  -7,  -8,  -9,
                           -11, -12, -13, -14, -15, -21, -22, -23, -28, -29,
                           -30, -31, -32, -33, -34, -35, -40, -1015};
  const int32_t code = in.ConsumeBool() ? in.PickValueInArray(codes) : in.ConsumeIntegral<int32_t>();
  korvun::ErrorDetails details;
  details.code = in.ConsumeIntegral<int32_t>();
  korvun::CivilDate today{in.ConsumeIntegralInRange(1, 9999), in.ConsumeIntegralInRange(1, 12),
                          in.ConsumeIntegralInRange(1, 31)};
  // Detail texts reach the messages cut to their cap, as every stage cuts them.
  details.text = korvun::CutText(in.ConsumeRemainingBytesAsString());
  const auto message = korvun::ErrorMessage(code, details, today);
  if (message && message->size() >= korvun::kMaxMessageBytes) __builtin_trap();
  return 0;
}
