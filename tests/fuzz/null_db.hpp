// A database that takes every statement and stores nothing, so the CSV
// import runs under the fuzzer without a server. A text holding "!" is
// refused, so the path of a line the database turns down is taken as well.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "base/strings.hpp"
#include "staging/db_client.hpp"
#include "staging/named_parameters.hpp"

namespace korvun::fuzz {

class NullStatement : public DbStatement {
 public:
  explicit NullStatement(const std::string& sql) : names_(ToPositionalSql(sql).names) {}
  int ParameterCount() const override { return static_cast<int>(names_.size()); }
  int ParameterIndex(const std::string& name) const override {
    for (size_t i = 0; i < names_.size(); ++i)
      if (EqualsIgnoreCase(names_[i], name)) return static_cast<int>(i);
    return -1;
  }
  void SetNull(int) override {}
  void SetInt(int, int32_t) override {}
  void SetDouble(int, double) override {}
  void SetText(int, const std::string& value) override {
    refuse_ = refuse_ || value.find('!') != std::string::npos;
  }
  void Execute() override {
    const bool refuse = refuse_;
    refuse_ = false;
    if (refuse) throw DbError("arithmetic exception, numeric overflow, or string truncation", 335544321);
  }
  bool Fetch() override { return false; }
  void CloseResult() override {}
  bool IsNull(const std::string&) const override { return true; }
  std::string AsText(const std::string&) const override { return ""; }
  int64_t AsInt(const std::string&) const override { return 0; }
  double AsDouble(const std::string&) const override { return 0; }

 private:
  std::vector<std::string> names_;
  bool refuse_ = false;
};

class NullDb : public DbConnection {
 public:
  void StartTransaction(LockWait) override {}
  void ExecuteImmediate(const std::string&) override {}
  std::unique_ptr<DbStatement> Prepare(const std::string& sql) override {
    return std::make_unique<NullStatement>(sql);
  }
  void CommitRetaining() override {}
  void Commit() override {}
  void Rollback() override {}
  void Detach() override {}
};

}  // namespace korvun::fuzz
