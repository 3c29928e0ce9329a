// Staging values compared and ordered as the database compares them: text
// byte by byte as if the shorter were padded with blanks (the default
// collation of ISO 8859-1), numbers by value, null before every value. The
// document orders a depot account's funds by these rules, and merges the
// sorted results it reads by them (the statements sort text the same way,
// import_queries.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/strings.hpp"
#include "staging/db_client.hpp"

namespace korvun {

using NullableText = std::optional<std::string>;
using NullableInt = std::optional<int64_t>;
using NullableDouble = std::optional<double>;

// A depot account as a row delivers its keys.
struct DepotRow {
  NullableInt number;
  NullableText kind, sub;
};

// Where a result has a depot account's keys.
struct DepotColumns {
  explicit DepotColumns(const DbRow& result);
  int number, kind, sub;
};
DepotRow ReadDepotRow(const DbRow& row, const DepotColumns& columns);

// < 0, 0 or > 0.
int CompareText(std::string_view a, std::string_view b);
int Compare(const NullableText& a, const NullableText& b);
int Compare(const NullableInt& a, const NullableInt& b);
int Compare(const NullableDouble& a, const NullableDouble& b);

// A column of the current row by its position (DbStatement::ColumnIndex),
// null as nullopt.
NullableText TextColumn(const DbRow& row, int column);
NullableInt IntColumn(const DbRow& row, int column);
NullableDouble DoubleColumn(const DbRow& row, int column);

}  // namespace korvun
