// One result row in memory, for the element logic without a database. A
// column set to Fail() throws when read.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "staging/db_client.hpp"
#include "tests/support/statement_without_parameters.hpp"

namespace korvun::testing {

class FakeRow : public StatementWithoutParameters {
 public:
  struct Cell {
    std::optional<std::string> text;  // nullopt: null
    bool fails = false;
  };
  FakeRow& Set(const std::string& column, const std::string& text) {
    cells_[column] = {text, false};
    return *this;
  }
  FakeRow& Null(const std::string& column) {
    cells_[column] = {std::nullopt, false};
    return *this;
  }
  FakeRow& Fail(const std::string& column) {
    cells_[column] = {std::nullopt, true};
    return *this;
  }

  bool Fetch() override { return false; }
  void CloseResult() override {}

  bool IsNull(const std::string& c) const override { return !Get(c).text.has_value(); }
  std::string AsText(const std::string& c) const override { return Get(c).text.value_or(""); }
  int64_t AsInt(const std::string& c) const override {
    const Cell& cell = Get(c);
    return cell.text ? std::stoll(*cell.text) : 0;
  }
  double AsDouble(const std::string& c) const override {
    const Cell& cell = Get(c);
    return cell.text ? std::stod(*cell.text) : 0;
  }

 private:
  const Cell& Get(const std::string& c) const {
    auto it = cells_.find(c);
    if (it == cells_.end()) {
      static const Cell kNull;
      return kNull;
    }
    if (it->second.fails) throw DbError("Lesefehler " + c);
    return it->second;
  }
  std::map<std::string, Cell> cells_;
};

}  // namespace korvun::testing
