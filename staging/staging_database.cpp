#include "staging/staging_database.hpp"

#include <string_view>

#include "staging/db_client.hpp"
#include "staging/firebird_client.hpp"

namespace korvun {

const char kStagingPassword[] = "stonequay";
const char kStagingDatabaseName[] = "FFBDB.IDB";

std::vector<std::string> SplitSqlScript(const std::string& script) {
  std::vector<std::string> statements;
  std::string current;
  const size_t n = script.size();
  size_t i = 0;
  auto flush = [&] {
    const size_t first = current.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) {
      const size_t last = current.find_last_not_of(" \t\r\n");
      statements.push_back(current.substr(first, last - first + 1));
    }
    current.clear();
  };
  while (i < n) {
    const char c = script[i];
    if (c == '\'' || c == '"') {
      const size_t end = script.find(c, i + 1);
      const size_t stop = end == std::string::npos ? n : end + 1;
      current.append(script, i, stop - i);
      i = stop;
    } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
      const size_t end = script.find('\n', i);
      i = end == std::string::npos ? n : end + 1;
      current += '\n';
    } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
      const size_t end = script.find("*/", i + 2);
      i = end == std::string::npos ? n : end + 2;
      current += ' ';
    } else if (c == ';') {
      flush();
      ++i;
    } else {
      current += c;
      ++i;
    }
  }
  flush();
  return statements;
}

void CreateStagingDatabase(Env& env, const std::string& path, const std::string& schemaSql) {
  const std::vector<std::string> statements = SplitSqlScript(schemaSql);
  CreateFirebirdDatabase(env, path, kStagingPassword);
  auto connection = AttachFirebird(env, path, kStagingPassword);
  connection->StartTransaction();
  for (const auto& statement : statements) {
    connection->ExecuteImmediate(statement);
    // Tables must be committed before indexes or other statements use them.
    connection->CommitRetaining();
  }
  connection->Commit();
  connection->Detach();
}

bool IsDamagedDatabase(const DbError& error) {
  // The engine's codes for a file whose contents are no database.
  constexpr long kNotADatabase = 335544323;    // isc_bad_db_format
  constexpr long kCorrupt = 335544335;         // isc_db_corrupt
  constexpr long kWrongStructure = 335544379;  // isc_wrong_ods
  constexpr long kWrongPageType = 335544463;   // isc_page_type_err
  constexpr long kPageEncrypted = 335545043;   // garbage read as an encrypted page
  constexpr long kIoError = 335544344;         // isc_io_error
  switch (error.engineCode()) {
    case kNotADatabase:
    case kCorrupt:
    case kWrongStructure:
    case kWrongPageType:
    case kPageEncrypted:
      return true;
    case kIoError:
      // A file cut short fails on reading; a missing or forbidden one on opening.
      return std::string_view(error.what()).find("\"read\" operation") != std::string_view::npos;
    default:
      return false;
  }
}

}  // namespace korvun
