// A base for the tests' own statements: one that takes no parameters and
// whose execution does nothing, so that a test writes only its rows.
#pragma once

#include <string>

#include "staging/db_client.hpp"

namespace korvun::testing {

class StatementWithoutParameters : public DbStatement {
 public:
  int ParameterCount() const override { return 0; }
  int ParameterIndex(const std::string&) const override { return -1; }
  void SetNull(int) override {}
  void SetInt(int, int32_t) override {}
  void SetDouble(int, double) override {}
  void SetText(int, const std::string&) override {}
  void Execute() override {}
};

}  // namespace korvun::testing
