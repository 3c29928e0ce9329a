// Creating the staging database file from the schema that ships with the
// library. Each import makes the tables anew (staging_reset.hpp).
#pragma once

#include <string>
#include <vector>

#include "platform/env.hpp"
#include "staging/db_client.hpp"

namespace korvun {

// The password of the staging database's SYSDBA.
extern const char kStagingPassword[];

// File name of the staging database in the data directory.
extern const char kStagingDatabaseName[];

// The text of staging/schema.sql, built into the library.
const std::string& StagingSchemaSql();

// The statements of a script separated by ";" (outside quotes and comments).
std::vector<std::string> SplitSqlScript(const std::string& script);

// Creates the database file (page size 8192, character set ISO8859_1, forced
// writes off since its contents are rebuilt on every run) and runs the
// schema's statements in it. Fails with DbError when the file exists.
void CreateStagingDatabase(Env& env, const std::string& path, const std::string& schemaSql);

// True when the engine reports a file that is no usable database any more
// (overwritten, cut short, pages that make no sense), as after a power loss
// with forced writes off; false when the file is missing, locked or not
// readable, which no new file would mend.
bool IsDamagedDatabase(const DbError& error);

}  // namespace korvun
