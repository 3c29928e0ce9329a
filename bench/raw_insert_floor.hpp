// The engine's floor for a load: the rows of the provider's CSV files
// inserted through the client's isc_* calls, one prepared insert per row with
// every value bound in its native type, into tables with the staging
// tables' columns and no index, in one transaction, forced writes off.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "bench/import_data_generator.hpp"
#include "staging/csv_text.hpp"
#include "staging/staging_tables.hpp"

namespace korvun::bench {

// The rows of a CSV file in a table's columns, parsed in chunks so that the
// parsing stays outside the timing and the whole file never is in memory.
class RowReader {
 public:
  RowReader(const std::filesystem::path& csv, const std::filesystem::path& mapPath,
            const StagingTable& table);
  // Up to `count` further rows; none at the end of the file.
  std::vector<Row> Next(size_t count);

 private:
  CsvLineReader lines_;
  const StagingTable& table_;
  std::vector<size_t> fieldOf_;
};

struct FloorInput {
  const StagingTable* table;
  std::filesystem::path csv, map;
};

// Creates `dbPath` (which must not exist), loads every input into it and
// returns the seconds spent inserting and committing.
double RawInsertFloor(const std::string& dbPath, const std::vector<FloorInput>& inputs);

}  // namespace korvun::bench
