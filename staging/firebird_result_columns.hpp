// The columns of a prepared statement's result: one buffer that every
// fetched row is written into, and the columns' positions by name.
#pragma once

#include <ibase.h>

#include <cstdint>
#include <string>
#include <vector>

#include "staging/firebird_sqlda.hpp"

namespace korvun {

class FirebirdResultColumns {
 public:
  // Takes the described columns and gives each its room in the buffer.
  void SetUp(Sqlda described);

  int Count() const { return out_->sqld; }
  // What the client fetches into.
  XSQLDA* Descriptor() { return out_.get(); }
  // Position of the first column of that name (compared without regard to
  // case), or -1.
  int IndexOf(const std::string& name) const;
  // The column at a position; throws DbError when there is none.
  const XSQLVAR& At(int position) const;

 private:
  struct ColumnName {
    std::string name;  // upper case
    uint32_t tag;
    int position;
  };

  Sqlda out_;
  std::vector<int64_t> rowBuffer_;
  std::vector<short> indicators_;
  std::vector<ColumnName> names_;
};

}  // namespace korvun
