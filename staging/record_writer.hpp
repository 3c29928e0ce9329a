// Stores the accepted lines of one CSV import: one insert per line, or, on
// a server, a block of lines per statement. Either way a line the database
// refuses is logged, and the lines' order holds for the error log and for
// the progress. A repeated key is the database's to refuse: at its insert
// where the table has its key, else once the load is done
// (repeated_keys.hpp).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "staging/csv_importer.hpp"
#include "staging/csv_read_ahead.hpp"
#include "staging/db_client.hpp"
#include "staging/import_error_log.hpp"
#include "staging/insert_block.hpp"
#include "staging/staging_tables.hpp"

namespace korvun {

class RecordWriter {
 public:
  // `columns`: the table column of each map entry, in map order. `inBlocks`:
  // gather lines into blocks (worth it where every call is a round trip).
  RecordWriter(DbConnection& db, const StagingTable& table, std::vector<size_t> columns, bool inBlocks,
               ImportErrorLog& log, CsvImportResult& result,
               std::function<void(long long handled, long long lines)> afterRecord);

  // A line to store, and a line the filter left out; both in file order.
  void Accepted(const LineBatch& batch, size_t line);
  void Dropped();
  // Stores what is kept back; call at the end of the file.
  void Finish();

 private:
  void StoreNow(const LineBatch& batch, size_t line);
  void Flush();
  void Counted();

  const StagingTable& table_;
  const std::vector<size_t> columns_;
  ImportErrorLog& log_;
  CsvImportResult& result_;
  std::function<void(long long, long long)> afterRecord_;
  std::unique_ptr<DbStatement> insert_;

  // Lines kept back for the next block, and the order of those and of the
  // dropped lines between them.
  InsertBlock blockShape_;
  std::unique_ptr<DbStatement> block_;
  LineBatch pending_;
  std::vector<int> order_;  // a pending line's place, or -1 for a dropped line
};

}  // namespace korvun
