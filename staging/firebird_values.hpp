// A fetched column's value in the forms the staging code reads: numbers as
// text with the German decimal comma, texts as their bytes, a null as the
// empty text or 0.
#pragma once

#include <ibase.h>

#include <cstdint>
#include <string>

namespace korvun {

// The column's name as the statement gives it (its alias).
std::string ColumnAlias(const XSQLVAR& v);

// The value must have a null indicator and data (FirebirdResultColumns).
// Each throws DbError for a type it cannot read.
std::string ValueAsText(const XSQLVAR& v);
int64_t ValueAsInt(const XSQLVAR& v);
double ValueAsDouble(const XSQLVAR& v);

}  // namespace korvun
