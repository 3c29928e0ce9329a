// Text from the staging tables into the import file, under every character
// mode: well-formed text out, whatever bytes went in.
#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>

#include "xmlout/xml_writer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::ostringstream out;
  korvun::TXMLStreamWriter writer(out, in.ConsumeBool());
  writer.SetCharMode(static_cast<korvun::TXMLCharMode>(in.ConsumeIntegralInRange(0, 2)));
  const std::string text = in.ConsumeRemainingBytesAsString();
  const std::string escaped = writer.Escape(text);
  for (char c : escaped)
    if (c == '<' || c == '>') __builtin_trap();  // markup never passes unescaped
  writer.WriteElement("Name", text);
  writer.WriteTag("Depot", korvun::tkStart);
  writer.WriteText(text);
  writer.WriteTag("Depot", korvun::tkEnd);
  writer.Flush();
  return 0;
}
