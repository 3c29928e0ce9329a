// Deterministic, realistic provider files (holdings and transactions) for
// the demo, the end-to-end tests and the benchmarks.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace korvun::tools {

struct GeneratorOptions {
  int customers = 100;
  uint64_t seed = 1;
  std::string vervoe1 = "12345";  // the intermediary
  std::string vervoe2 = "678";    // its usual sub-intermediary
  std::string otherVervoe2 = "701";  // a second sub-intermediary for some customers
  int verberNr = 138010;
  int firstDate = 20200101;  // transactions fall between these days
  int lastDate = 20261130;
  int priceDate = 20261130;  // price date of the holdings
};

struct GeneratorCounts {
  long customers = 0, depots = 0, holdingLines = 0, transactionLines = 0, droppedCodes = 0,
       depotsWithoutHoldings = 0;
};

// Writes both files (ISO 8859-1, CR LF, header first).
GeneratorCounts GenerateProviderFiles(const GeneratorOptions& options, std::ostream& holdings,
                                      std::ostream& transactions);

// The check digit of an ISIN's first eleven characters.
char IsinCheckDigit(const std::string& first11);

}  // namespace korvun::tools
