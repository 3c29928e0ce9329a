#include "staging/csv_importer.hpp"

#include "base/strings.hpp"
#include "staging/csv_read_ahead.hpp"
#include "staging/csv_text.hpp"
#include "staging/import_error_log.hpp"
#include "staging/record_writer.hpp"
#include "staging/repeated_keys.hpp"
#include "staging/value_conversion.hpp"

namespace korvun {

CsvImporter::CsvImporter(Env& env, const StagingTable& table) : env_(env), table_(table) {}

void CsvImporter::LoadMapFile(const std::string& path) { map_ = ReadFileLines(env_, path); }

std::vector<CsvImporter::MapEntry> CsvImporter::CheckConfiguration() const {
  if (fileName_.empty()) throw CsvImportError("File name is not specified");
  if (!env_.FileExists(fileName_)) throw CsvImportError("File " + fileName_ + " does not exist");
  if (map_.empty()) throw CsvImportError("Map is empty");
  std::vector<MapEntry> entries;
  for (const std::string& line : map_) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) throw CsvImportError("Missing definition of map");
    const std::string name = line.substr(0, eq);
    size_t column = table_.columns.size();
    for (size_t i = 0; i < table_.columns.size(); ++i) {
      if (EqualsIgnoreCase(name, table_.columns[i].name)) {
        column = i;
        break;
      }
    }
    if (column == table_.columns.size()) {
      throw CsvImportError("Column " + name +
                           " is defined in the MAP is not found in the import destination");
    }
    const auto field = ParsePlainInteger(std::string_view(line).substr(eq + 1));
    if (!field || *field < 1 || *field > 1000000) throw CsvImportError("Missing definition of map");
    entries.push_back({column, static_cast<size_t>(*field)});
  }
  return entries;
}

CsvImportResult CsvImporter::Run(DbConnection& db) {
  std::vector<MapEntry> entries = CheckConfiguration();

  ImportErrorLog log(env_, errorLogName_);
  // Counted first for the progress; then read a batch of lines at a time,
  // so that the whole file never has to be in memory. A large file is read
  // ahead on a thread of its own while the database stores the lines.
  const long long lineCount = CsvLineReader::CountLines(env_, fileName_, blockSize_);
  std::vector<ReadAheadEntry> readEntries;
  for (const MapEntry& e : entries) readEntries.push_back({e.field, table_.columns[e.column].kind});
  CsvReadAhead lines(env_, fileName_, blockSize_, std::move(readEntries), lineCount >= readAheadLines_);

  std::vector<size_t> columns;
  for (const MapEntry& entry : entries) columns.push_back(entry.column);

  CsvImportResult result;
  result.lines = lineCount;
  {
    // The writer and its statements end with the load, before the table
    // gets its key.
    RecordWriter writer(db, table_, std::move(columns), insertInBlocks_.value_or(db.Remote()), log, result,
                        afterRecord);
    std::vector<std::string_view> values(entries.size());
    LineBatch batch;
    while (lines.Next(&batch)) {
      for (size_t line = 0; line < batch.Lines(); ++line) {
        for (size_t i = 0; i < entries.size(); ++i) values[i] = batch.Raw(line, i);
        if (beforePost && !beforePost(values)) {
          ++result.dropped;
          writer.Dropped();
        } else {
          writer.Accepted(batch, line);
        }
      }
    }
    writer.Finish();
  }
  // A table made anew for the load gets its key now; the rows it refuses
  // are logged before the log's closing lines and count as refused.
  const int repeated = AddKeyRefusingRepeats(db, table_, log);
  result.stored -= repeated;
  result.handled -= repeated;
  result.failed += repeated;
  log.Finish();
  return result;
}

}  // namespace korvun
