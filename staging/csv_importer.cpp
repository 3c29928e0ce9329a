#include "staging/csv_importer.hpp"


#include "staging/csv_read_ahead.hpp"
#include "staging/csv_text.hpp"
#include "staging/import_error_log.hpp"
#include "staging/stored_keys.hpp"
#include "staging/value_conversion.hpp"

namespace korvun {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

void Bind(DbStatement& insert, int parameter, const ColumnValue& value, std::string_view raw) {
  switch (value.kind) {
    case ColumnValue::Kind::kNull: insert.SetNull(parameter); return;
    case ColumnValue::Kind::kInt: insert.SetInt(parameter, value.i); return;
    case ColumnValue::Kind::kDouble: insert.SetDouble(parameter, value.d); return;
    case ColumnValue::Kind::kText: insert.SetTextView(parameter, raw); return;
  }
}

}  // namespace

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
      if (SameName(name, table_.columns[i].name)) {
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

  // One statement for the whole file, executed once per record.
  auto insert = db.Prepare(InsertSql(table_));
  for (int i = 0; i < insert->ParameterCount(); ++i) insert->SetNull(i);
  for (auto& entry : entries) {
    entry.parameter = insert->ParameterIndex(table_.columns[entry.column].name);
    if (entry.parameter < 0) {
      throw CsvImportError(std::string("Column ") + table_.columns[entry.column].name +
                           " is defined in the MAP is not found in the import destination");
    }
  }

  // The value the key column gets: that of its last map entry.
  int keyEntry = -1;
  for (size_t i = 0; i < entries.size(); ++i)
    if (table_.keyColumn && SameName(table_.columns[entries[i].column].name, table_.keyColumn))
      keyEntry = static_cast<int>(i);
  StoredKeys keys(keyEntry < 0 ? 0 : TextColumnWidth(db, table_.name, table_.keyColumn));

  CsvImportResult result;
  result.lines = lineCount;
  std::vector<std::string_view> values(entries.size());
  LineBatch batch;
  while (lines.Next(&batch)) {
    for (size_t line = 0; line < batch.Lines(); ++line) {
      for (size_t i = 0; i < entries.size(); ++i) values[i] = batch.Raw(line, i);

      if (beforePost && !beforePost(values)) {
        ++result.dropped;
      } else {
        // A null key is the database's to refuse (the column is NOT NULL).
        const bool keyed = keyEntry >= 0 && values[static_cast<size_t>(keyEntry)] != "Null";
        const std::string_view key = keyed ? values[static_cast<size_t>(keyEntry)] : std::string_view();
        try {
          if (keyed && keys.Contains(key)) throw DbError(DuplicateKeyMessage(table_, keys.Stored(key)));
          for (size_t i = 0; i < entries.size(); ++i) Bind(*insert, entries[i].parameter, batch.Value(line, i), values[i]);
          insert->Execute();
        } catch (const DbError& e) {
          // The record is lost, the import goes on; the log says why.
          log.Failure(e.what());
          ++result.failed;
          continue;
        }
        if (keyed) keys.Add(key);
        ++result.stored;
      }
      ++result.handled;
      if (afterRecord) afterRecord(result.handled, result.lines);
    }
  }
  insert.reset();
  log.Finish();
  return result;
}

}  // namespace korvun
