// Whatever the provider's server answers: status, length header and body
// come from the input and go the whole way of a download, the error answer
// and the unpacking included.
#include <fuzzer/FuzzedDataProvider.h>

#include "base/progress.hpp"
#include "platform/ui.hpp"
#include "tests/fuzz/memory_env.hpp"
#include "transfer/fetch_data_file.hpp"
#include "transfer/provider_answer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  korvun::fuzz::MemoryEnv env;
  auto& answer = env.http.answer;
  const int statuses[] = {200, 200, 200, 0, 302, 401, 404, 407, 500, 503};
  answer.status = in.PickValueInArray(statuses);
  if (in.ConsumeBool()) answer.contentLength = in.ConsumeRandomLengthString(24);
  answer.blockSize = in.ConsumeIntegralInRange<size_t>(1, 8192);
  answer.failMidway = in.ConsumeIntegralInRange<int>(0, 15) == 0;
  answer.body = in.ConsumeRemainingBytesAsString();

  const std::unique_ptr<korvun::Ui> ui = korvun::MakeSilentUi();
  const korvun::Reporter reporter;
  korvun::RunContext ctx{env, *ui, reporter};
  korvun::FetchRequest request;
  request.url = "https://127.0.0.1:9/actionus/aes/onlinedatatransfer?params=x";
  request.archiveName = "bestaende.zip";
  request.dataDir = "/daten/";
  try {
    korvun::FetchDataFile(ctx, request);
  } catch (const std::runtime_error&) {
    // a file failure; the memory platform has none, but the contract allows it
  }
  korvun::ReadProviderErrorAnswer(answer.body);
  return 0;
}
