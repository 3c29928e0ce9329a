// Generated staging rows for the import benchmark: typed values per written
// column, and the CSV line the provider would send for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "staging/staging_tables.hpp"

namespace korvun::bench {

struct Value {
  bool null = false;
  int32_t i = 0;
  double d = 0;
  std::string text;
};

// One row in the order of the table's written columns.
using Row = std::vector<Value>;

void HoldingsRow(long long index, Row* row);
void TransactionRow(long long index, Row* row);

// Field number (1-based) of each written column, from a map file's lines.
std::vector<size_t> FieldNumbers(const StagingTable& table, const std::vector<std::string>& mapLines);

// The CSV line (with CR LF) that carries the row in the provider's layout.
void CsvLine(const StagingTable& table, const std::vector<size_t>& fields, size_t fieldCount,
             const Row& row, std::string* line);

}  // namespace korvun::bench
