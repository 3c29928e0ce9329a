// One CSV import through the real importer, on the memory platform and a
// database that stores nothing: what the line and map harnesses share.
#pragma once

#include <string>

#include "staging/csv_importer.hpp"
#include "staging/order_type_filter.hpp"
#include "staging/value_conversion.hpp"
#include "tests/fuzz/memory_env.hpp"
#include "tests/fuzz/null_db.hpp"

namespace korvun::fuzz {

inline void ImportCsv(bool transactions, const std::string& mapText, const std::string& csvText) {
  MemoryEnv env;
  env.files["/daten/map.txt"] = mapText;
  env.files["/daten/data.csv"] = csvText;
  CsvImporter importer(env, transactions ? TransactionsTable() : HoldingsTable());
  importer.SetFileName("/daten/data.csv");
  importer.SetErrorLogName("/daten/error.log");
  importer.SetReadBlockSize(256);  // small files; small blocks also try lines across blocks
  if (transactions) {
    importer.beforePost = [](const std::vector<std::string_view>& values) {
      return values.size() > 7 ? AcceptOrderType(values[6], values[7]) : true;
    };
  }
  NullDb db;
  try {
    importer.LoadMapFile("/daten/map.txt");
    importer.Run(db);
  } catch (const CsvImportError&) {
    // a map that does not fit the table: the run's configuration fault
  }
}

}  // namespace korvun::fuzz
