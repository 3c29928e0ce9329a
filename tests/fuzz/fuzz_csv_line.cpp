// Lines of the provider's CSV files with the shipped maps: splitting, the
// number and date conversions, the order type filter, the error log.
#include <fstream>
#include <sstream>

#include "tests/fuzz/csv_import_harness.hpp"

namespace {
std::string holdingsMap, transactionsMap;

std::string ReadShipped(const char* name) {
  std::ifstream in(std::string(KORVUN_SOURCE_DIR) + "/data/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  holdingsMap = ReadShipped("BESTAND.txt");
  transactionsMap = ReadShipped("TRANSAKT.txt");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool transactions = data[0] & 1;
  const std::string csv(reinterpret_cast<const char*>(data) + 1, size - 1);
  korvun::fuzz::ImportCsv(transactions, transactions ? transactionsMap : holdingsMap, csv);
  // The conversions on their own, for the texts the importer cuts off first.
  korvun::ParseCommaDecimal(csv);
  korvun::IntegerColumnValue(csv);
  korvun::FloatColumnValue(csv);
  korvun::ParsePlainInteger(csv);
  return 0;
}
