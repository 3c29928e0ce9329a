// The columns that the import writes into the two staging tables, with the
// kind that decides how a CSV value is converted.
#pragma once

#include <string>
#include <vector>

namespace korvun {

enum class ColumnKind { kInteger, kFloat, kText };

struct StagingColumn {
  const char* name;
  ColumnKind kind;
};

struct StagingTable {
  const char* name;
  std::vector<StagingColumn> columns;  // written columns, in table order
  // The text column of the primary key and the key's name; none: no key.
  const char* keyColumn = nullptr;
  const char* keyConstraint = nullptr;
};

// Every table of staging/schema.sql with the columns the import fills,
// generated from that file at build time (schema_tables.cmake).
const std::vector<StagingTable>& StagingSchemaTables();

const StagingTable& HoldingsTable();      // BESTAENDE
const StagingTable& TransactionsTable();  // TRANSAKTIONEN

// "A, B": the written columns, in table order.
std::string ColumnList(const StagingTable& table);

// "insert into T (A, B) values (:A, :B)" over the written columns.
std::string InsertSql(const StagingTable& table);

}  // namespace korvun
