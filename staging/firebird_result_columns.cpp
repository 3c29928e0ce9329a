#include "staging/firebird_result_columns.hpp"

#include <algorithm>

#include "base/strings.hpp"
#include "staging/db_client.hpp"
#include "staging/firebird_values.hpp"

namespace korvun {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Length and three letters of a name, without regard to case.
uint32_t NameTag(const std::string& name) {
  if (name.empty()) return 0;
  const auto letter = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(Upper(name[i]))); };
  return static_cast<uint32_t>(name.size()) << 24 | letter(0) << 16 | letter(name.size() / 2) << 8 |
         letter(name.size() - 1);
}

// `upper` is upper case already.
bool SameName(const std::string& upper, const std::string& name) {
  if (upper.size() != name.size()) return false;
  for (size_t k = 0; k < name.size(); ++k)
    if (Upper(name[k]) != upper[k]) return false;
  return true;
}

}  // namespace

void FirebirdResultColumns::SetUp(Sqlda described) {
  out_ = std::move(described);
  size_t total = 0;
  std::vector<size_t> offsets;
  for (int i = 0; i < out_->sqld; ++i) {
    const XSQLVAR& v = out_->sqlvar[i];
    size_t size = static_cast<size_t>(v.sqllen) + ((v.sqltype & ~1) == SQL_VARYING ? 2 : 0);
    size = (size + 7) & ~static_cast<size_t>(7);
    offsets.push_back(total);
    total += size;
  }
  rowBuffer_.assign(total / 8 + 1, 0);
  indicators_.assign(static_cast<size_t>(std::max<int>(out_->sqld, 1)), 0);
  for (int i = 0; i < out_->sqld; ++i) {
    XSQLVAR& v = out_->sqlvar[i];
    v.sqltype = static_cast<ISC_SHORT>(v.sqltype | 1);
    v.sqldata = reinterpret_cast<ISC_SCHAR*>(rowBuffer_.data()) + offsets[static_cast<size_t>(i)];
    v.sqlind = &indicators_[static_cast<size_t>(i)];
    std::string name = AsciiUpper(ColumnAlias(v));
    bool seen = false;  // the first of equal names wins
    for (const auto& column : names_) seen = seen || column.name == name;
    if (!seen) {
      const uint32_t tag = NameTag(name);
      names_.push_back({std::move(name), tag, i});
    }
  }
}

int FirebirdResultColumns::IndexOf(const std::string& name) const {
  // Reads by name run for every value of every row: the names' tags are
  // compared first, and only a matching tag's name in full.
  const uint32_t tag = NameTag(name);
  for (const ColumnName& c : names_)
    if (c.tag == tag && SameName(c.name, name)) return c.position;
  return -1;
}

const XSQLVAR& FirebirdResultColumns::At(int position) const {
  if (position < 0 || position >= out_->sqld) throw DbError("Spalte " + std::to_string(position) + " gibt es nicht");
  return out_->sqlvar[position];
}

}  // namespace korvun
