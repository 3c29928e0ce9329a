// The client's descriptor of a statement's parameters or result columns,
// in memory of the size its number of entries needs.
#pragma once

#include <ibase.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

namespace korvun {

struct SqldaDeleter {
  void operator()(XSQLDA* p) const { std::free(p); }
};
using Sqlda = std::unique_ptr<XSQLDA, SqldaDeleter>;

// Room for `vars` entries (at least one), all zero.
inline Sqlda MakeSqlda(int vars) {
  const int n = std::max(vars, 1);
  auto* p = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n)));
  if (!p) throw std::bad_alloc();
  p->version = SQLDA_VERSION1;
  p->sqln = static_cast<ISC_SHORT>(n);
  return Sqlda(p);
}

}  // namespace korvun
