// A column map file as someone may have edited it, with a small CSV file
// that uses it.
#include "tests/fuzz/csv_import_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string map(reinterpret_cast<const char*>(data) + 1, size - 1);
  korvun::fuzz::ImportCsv(data[0] & 1, map,
                          "Kopf;Zeile;1;2\r\n12345;Depot 1;1.234,56;20240131\r\n;;;\r\n"
                          "9;x;-0,5E3;True;False;;;8;9;10;11\n");
  return 0;
}
