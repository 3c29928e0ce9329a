// The values bound to a prepared statement's parameters, kept in the types
// the statement describes so that the message the client sends stays the
// same from row to row (each change makes it build the message anew).
#pragma once

#include <ibase.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "staging/firebird_sqlda.hpp"

namespace korvun {

class FirebirdBindings {
 public:
  // Takes the described parameters and binds a null to each. The texts of
  // an insert are cut to their columns' widths.
  void SetUp(Sqlda described, bool insert);

  int Count() const { return static_cast<int>(params_.size()); }
  // What the client executes with; null when there are no parameters.
  XSQLDA* Descriptor() { return params_.empty() ? nullptr : in_.get(); }
  // True when a compared text is longer than its column, so that no row
  // can match and the statement need not run.
  bool NoRowCanMatch() const;

  // Each throws DbError for an index that is not there.
  void SetNull(int index);
  void SetInt(int index, int32_t value);
  void SetDouble(int index, double value);
  void SetText(int index, std::string_view value);

 private:
  struct Param {
    short type = 0;     // as described, without the null flag
    short len = 0;
    short subtype = 0;  // character set of a text
    bool unmatchable = false;  // a compared text longer than its column
    std::string text;
    std::vector<char> varying;  // length and bytes of a VARCHAR value
    int32_t i = 0;
    double d = 0;
    short ind = -1;
  };

  Param& At(int index);
  // The parameter at `index`, no longer null, about to be given a value.
  Param& Given(int index);
  static void BindVarying(Param& p, XSQLVAR& v, size_t length);

  Sqlda in_;
  std::vector<Param> params_;  // sized once: the descriptor points into it
  bool insert_ = false;
};

}  // namespace korvun
