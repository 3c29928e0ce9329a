// Emptying the staging tables before an import and building their indexes
// after it. The tables hold nothing but the last run's rows, so they are
// made anew rather than emptied row by row: deleted rows would stay behind
// as old record versions that every later insert and read steps over.
#pragma once

#include <string>
#include <vector>

#include "staging/db_client.hpp"

namespace korvun {

// The schema's statements by what they make.
struct StagingSchemaParts {
  std::vector<std::string> tables;   // CREATE TABLE, with their keys
  std::vector<std::string> indexes;  // CREATE INDEX
  std::vector<std::string> others;
};
StagingSchemaParts SplitStagingSchema(const std::string& schemaSql);

// Replaces the schema's tables by empty ones without their secondary indexes
// (primary keys stay, so duplicate keys are still refused row by row). When
// the engine refuses that, because another attachment uses the tables or
// objects of the user's depend on them, the rows are deleted instead. The
// transaction must be started; it goes on with what is done committed.
// Returns true when the tables were made anew.
bool ClearStagingTables(DbConnection& db, const std::string& schemaSql);

// Creates every index of the schema the tables lack: after a load, each
// index is built by one sort instead of a tree update per row.
void CreateMissingIndexes(DbConnection& db, const std::string& schemaSql);

}  // namespace korvun
