// Loads one CSV file into a staging table through a column map: one insert
// per accepted line, failed lines to the error log, progress per line.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.hpp"
#include "staging/db_client.hpp"
#include "staging/staging_tables.hpp"

namespace korvun {

// A configuration fault found before the first record is read.
class CsvImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CsvImportResult {
  long long lines = 0;    // L: every line of the file, header and blank ones included
  long long handled = 0;  // n: lines stored or left out by the filter
  long long stored = 0;
  long long dropped = 0;  // left out by the before-post check
  int failed = 0;         // refused by the database, logged
};

class CsvImporter {
 public:
  CsvImporter(Env& env, const StagingTable& table);

  void SetFileName(const std::string& path) { fileName_ = path; }
  void SetErrorLogName(const std::string& path) { errorLogName_ = path; }
  // Replaces the whole map by the lines of a map file ("COLUMN=field").
  // Throws std::runtime_error when the file cannot be read.
  void LoadMapFile(const std::string& path);
  void SetMap(std::vector<std::string> lines) { map_ = std::move(lines); }
  // How much of the file one read takes; big by default, for files of
  // hundreds of megabytes.
  void SetReadBlockSize(size_t bytes) { blockSize_ = bytes; }
  // From how many lines on the file is read ahead on a thread of its own
  // (the same lines either way; a thread pays only for large files).
  void SetReadAheadLines(long long lines) { readAheadLines_ = lines; }
  // Whether lines go to the database a block at a time; by default where
  // the database is on a server.
  void SetInsertInBlocks(bool inBlocks) { insertInBlocks_ = inBlocks; }

  // Before a line is stored, with its trimmed values in map order; false
  // leaves the line out without a log entry.
  std::function<bool(const std::vector<std::string_view>& values)> beforePost;
  // After each line that was stored or left out, with n and L.
  std::function<void(long long handled, long long lines)> afterRecord;

  // Checks the configuration (CsvImportError), then imports the file; a
  // table made anew without its key gets it afterwards (repeated_keys.hpp).
  CsvImportResult Run(DbConnection& db);

 private:
  struct MapEntry {
    size_t column;  // into table_.columns
    size_t field;   // 1-based
  };
  std::vector<MapEntry> CheckConfiguration() const;

  Env& env_;
  const StagingTable& table_;
  std::string fileName_;
  std::string errorLogName_;
  std::vector<std::string> map_;
  size_t blockSize_ = size_t{1} << 20;
  long long readAheadLines_ = 20000;
  std::optional<bool> insertInBlocks_;
};

}  // namespace korvun
