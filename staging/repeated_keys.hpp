// A table made anew for the load gets its key once the load is done
// (staging_reset.hpp). A key value repeated in the file is then the engine's
// to find: the first stored row of a value keeps it, the later ones are
// deleted and logged as the key would have refused them at their insert.
// Nothing of the rows is held in memory for that, whatever the file's size.
#pragma once

#include <string>
#include <string_view>

#include "staging/db_client.hpp"
#include "staging/import_error_log.hpp"
#include "staging/staging_tables.hpp"

namespace korvun {

// Adds the table's key when the table lacks it. Should values repeat, the
// later rows of each value are deleted in the order they were stored, one
// error-log line each, and the key is added then. Returns the number of rows
// deleted; 0 also when the table has no key or already has it (the key then
// refused the repeats at their insert). Commits the load first.
int AddKeyRefusingRepeats(DbConnection& db, const StagingTable& table, ImportErrorLog& log);

// The database's words for a repeated key, as a failed insert reports them.
std::string DuplicateKeyMessage(const StagingTable& table, std::string_view storedValue);

}  // namespace korvun
