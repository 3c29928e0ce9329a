// Many rows in one statement, for a staging database on a server: an
// EXECUTE BLOCK that inserts its parameters row after row, so that a block
// of lines costs one round trip instead of one per line.
#pragma once

#include <string>
#include <vector>

#include "staging/staging_tables.hpp"

namespace korvun {

struct InsertBlock {
  int rows = 0;  // 0: the columns' widths are not known; lines go one by one
  std::string sql;
  // The parameter of a row's column: row * columns + the column's place
  // in the table's written columns.
};

// A block of as many rows as the engine's limits on a statement's text and
// on its message allow, at most maxRows. `widths` as TextColumnWidths gives
// them.
InsertBlock MakeInsertBlock(const StagingTable& table, const std::vector<size_t>& widths, int maxRows);

}  // namespace korvun
