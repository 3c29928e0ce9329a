// Emptying the staging tables before an import and adding their keys and
// indexes after it. The tables hold nothing but the last run's rows, so they
// are made anew rather than emptied row by row: deleted rows would stay
// behind as old record versions that every later insert and read steps
// over. Made anew, they have no key or index during the load, which then
// costs no tree update per row; each is built by one sort afterwards.
#pragma once

#include <string>
#include <vector>

#include "staging/db_client.hpp"

namespace korvun {

// The schema's statements by what they make.
struct StagingSchemaParts {
  std::vector<std::string> tables;   // CREATE TABLE
  std::vector<std::string> keys;     // ALTER TABLE ... ADD CONSTRAINT
  std::vector<std::string> indexes;  // CREATE INDEX
  std::vector<std::string> others;
};
StagingSchemaParts SplitStagingSchema(const std::string& schemaSql);

// Replaces the schema's tables by empty ones without keys and indexes, in a
// transaction of its own that does not wait. When the engine refuses that,
// because another attachment uses the tables or objects of the user's
// depend on them, the rows are deleted instead and keys and indexes stay.
// Starts the run's transaction, in which the rows are deleted; it goes on
// with what is done committed. Returns true when the tables were made anew.
bool ClearStagingTables(DbConnection& db, const std::string& schemaSql);

// Adds every key and index of the schema that the tables lack.
void AddMissingKeysAndIndexes(DbConnection& db, const std::string& schemaSql);

}  // namespace korvun
