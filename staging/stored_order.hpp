// The order in which a table's rows were stored, as an SQL value: the
// record number that RDB$DB_KEY holds behind the relation's number, as octets
// that sort byte by byte (its fifth byte, then its low four bytes, which the
// key holds least significant first). Repeated keys keep their first stored
// row by it, and the import file lists rows in it.
#pragma once

#include <string>

namespace korvun {

inline std::string StoredOrderSql(const std::string& alias) {
  const std::string key = alias + ".RDB$DB_KEY";
  return "substring(" + key + " from 3 for 1) || reverse(substring(" + key + " from 5 for 4))";
}

}  // namespace korvun
