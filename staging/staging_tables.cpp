#include "staging/staging_tables.hpp"

#include <stdexcept>
#include <string_view>

namespace korvun {
namespace {

// The schema is built in: a table it lacks is a mistake of the build.
const StagingTable& SchemaTable(std::string_view name) {
  for (const StagingTable& table : StagingSchemaTables())
    if (table.name == name) return table;
  throw std::logic_error("Die Tabelle " + std::string(name) + " fehlt in schema.sql");
}

}  // namespace

const StagingTable& HoldingsTable() {
  static const StagingTable& table = SchemaTable("BESTAENDE");
  return table;
}

const StagingTable& TransactionsTable() {
  static const StagingTable& table = SchemaTable("TRANSAKTIONEN");
  return table;
}

std::string ColumnList(const StagingTable& table) {
  std::string names;
  for (const auto& column : table.columns) names += (names.empty() ? "" : ", ") + std::string(column.name);
  return names;
}

std::string InsertSql(const StagingTable& table) {
  std::string params;
  for (const auto& column : table.columns) params += (params.empty() ? ":" : ", :") + std::string(column.name);
  return std::string("insert into ") + table.name + " (" + ColumnList(table) + ") values (" + params + ")";
}

}  // namespace korvun
