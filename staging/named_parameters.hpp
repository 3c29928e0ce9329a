// Statement texts keep named parameters (":VERBERNR"); the client API knows
// only positional markers. This turns the one into the other.
#pragma once

#include <string>
#include <vector>

namespace korvun {

struct PositionalSql {
  std::string sql;                  // with "?" in place of each ":NAME"
  std::vector<std::string> names;   // one per marker, in text order, without ':'
};

// Markers inside quoted literals, quoted identifiers and comments are left
// alone.
PositionalSql ToPositionalSql(const std::string& sql);

}  // namespace korvun
