// The declared widths of a staging table's text columns, from the
// database's own description of the table.
#pragma once

#include <vector>

#include "staging/db_client.hpp"
#include "staging/staging_tables.hpp"

namespace korvun {

// One width per written column, in table order: the characters a text
// column holds, 0 for other columns and for a column the database does not
// describe.
std::vector<size_t> TextColumnWidths(DbConnection& db, const StagingTable& table);

}  // namespace korvun
