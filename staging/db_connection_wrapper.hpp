// A database connection that hands every call to another one, so that a
// double overrides only the calls it changes (failures injected into a real
// staging database, for one).
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "staging/db_client.hpp"

namespace korvun {

class DbConnectionWrapper : public DbConnection {
 public:
  explicit DbConnectionWrapper(std::unique_ptr<DbConnection> target) : target_(std::move(target)) {}

  DbConnection& target() const { return *target_; }

  void StartTransaction(LockWait wait) override { target_->StartTransaction(wait); }
  void ExecuteImmediate(const std::string& sql) override { target_->ExecuteImmediate(sql); }
  std::unique_ptr<DbStatement> Prepare(const std::string& sql) override {
    return target_->Prepare(sql);
  }
  void CommitRetaining() override { target_->CommitRetaining(); }
  void Commit() override { target_->Commit(); }
  void Rollback() override { target_->Rollback(); }
  void Detach() override { target_->Detach(); }
  bool Remote() const override { return target_->Remote(); }
  std::unique_ptr<DbConnection> AttachAgain() override { return target_->AttachAgain(); }

 private:
  std::unique_ptr<DbConnection> target_;
};

}  // namespace korvun
