#include "staging/firebird_bindings.hpp"

#include <algorithm>
#include <cstring>

#include "staging/db_client.hpp"

namespace korvun {
namespace {

bool IsTextType(int type) { return type == SQL_TEXT || type == SQL_VARYING; }

// A number in a type of its own, whatever the parameter's: the server
// converts it.
void BindNumber(XSQLVAR& v, short type, size_t length, void* data) {
  v.sqltype = static_cast<ISC_SHORT>(type | 1);
  v.sqllen = static_cast<ISC_SHORT>(length);
  v.sqlscale = 0;
  v.sqldata = static_cast<ISC_SCHAR*>(data);
}

}  // namespace

void FirebirdBindings::SetUp(Sqlda described, bool insert) {
  in_ = std::move(described);
  insert_ = insert;
  params_.resize(static_cast<size_t>(in_->sqld));
  for (int i = 0; i < in_->sqld; ++i) {
    XSQLVAR& v = in_->sqlvar[i];
    Param& p = params_[static_cast<size_t>(i)];
    p.type = static_cast<short>(v.sqltype & ~1);
    p.len = v.sqllen;
    p.subtype = v.sqlsubtype;
    v.sqlind = &p.ind;
    SetNull(i);
  }
}

bool FirebirdBindings::NoRowCanMatch() const {
  if (insert_) return false;
  for (const Param& p : params_)
    if (p.unmatchable) return true;
  return false;
}

void FirebirdBindings::SetNull(int index) {
  Param& p = At(index);
  XSQLVAR& v = in_->sqlvar[index];
  p.ind = -1;
  p.unmatchable = false;
  // In the type the statement describes, so that a null does not change
  // the message.
  v.sqlscale = 0;
  if (p.type == SQL_VARYING) {
    BindVarying(p, v, 0);
  } else if (p.type == SQL_DOUBLE) {
    BindNumber(v, SQL_DOUBLE, sizeof p.d, &p.d);
  } else {
    BindNumber(v, SQL_LONG, sizeof p.i, &p.i);
  }
}

void FirebirdBindings::SetInt(int index, int32_t value) {
  Param& p = Given(index);
  p.i = value;
  BindNumber(in_->sqlvar[index], SQL_LONG, sizeof p.i, &p.i);
}

void FirebirdBindings::SetDouble(int index, double value) {
  Param& p = Given(index);
  p.d = value;
  BindNumber(in_->sqlvar[index], SQL_DOUBLE, sizeof p.d, &p.d);
}

void FirebirdBindings::SetText(int index, std::string_view value) {
  Param& p = Given(index);
  XSQLVAR& v = in_->sqlvar[index];
  // An inserted text takes at most its column's width; the rest is cut off,
  // never rejected. A text compared with a column but longer than it
  // (trailing blanks aside) equals no value of the column. Other columns
  // get the whole text for the server to convert.
  size_t len = value.size();
  if (IsTextType(p.type)) {
    if (!insert_ && value.find_last_not_of(' ') + 1 > static_cast<size_t>(p.len)) {
      p.unmatchable = true;
      len = 0;
    }
    len = std::min(len, static_cast<size_t>(p.len));
  } else {
    len = std::min<size_t>(len, 32767);
  }
  v.sqlscale = 0;
  if (p.type == SQL_VARYING) {
    // As described, with its length in front: the message stays the same
    // whatever the text's length.
    BindVarying(p, v, len);
    std::memcpy(p.varying.data() + sizeof(uint16_t), value.data(), len);
    return;
  }
  v.sqlsubtype = IsTextType(p.type) ? p.subtype : 0;
  p.text.assign(value.data(), len);
  v.sqltype = SQL_TEXT | 1;
  v.sqllen = static_cast<ISC_SHORT>(len);
  // An empty text still needs a valid address.
  v.sqldata = p.text.data();
}

FirebirdBindings::Param& FirebirdBindings::At(int index) {
  if (index < 0 || index >= static_cast<int>(params_.size())) {
    throw DbError("Parameter " + std::to_string(index) + " gibt es nicht");
  }
  return params_[static_cast<size_t>(index)];
}

FirebirdBindings::Param& FirebirdBindings::Given(int index) {
  Param& p = At(index);
  p.ind = 0;
  p.unmatchable = false;
  return p;
}

void FirebirdBindings::BindVarying(Param& p, XSQLVAR& v, size_t length) {
  if (p.varying.empty()) p.varying.assign(static_cast<size_t>(p.len) + sizeof(uint16_t), 0);
  const uint16_t n = static_cast<uint16_t>(length);
  std::memcpy(p.varying.data(), &n, sizeof n);
  v.sqltype = SQL_VARYING | 1;
  v.sqllen = p.len;
  v.sqlsubtype = p.subtype;
  v.sqldata = p.varying.data();
}

}  // namespace korvun
