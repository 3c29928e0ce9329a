// A staging connection that fails the database call a FaultPlan names, as
// an engine with a full disk does: every call that reaches the server counts
// (attach-level calls, prepares, executes, fetches).
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "staging/db_connection_wrapper.hpp"
#include "tests/hardening/fault_plan.hpp"

namespace korvun::testing {

inline void FailIf(FaultPlan& plan, const char* what) {
  // isc_io_error, as the engine reports a write it cannot do
  if (plan.Next(what, true))
    throw DbError(std::string("I/O error during \"write\" operation (") + what +
                      "): No space left on device",
                  335544344);
}

class FaultStatement : public DbStatement {
 public:
  FaultStatement(std::unique_ptr<DbStatement> target, FaultPlan& plan)
      : target_(std::move(target)), plan_(plan) {}
  int ParameterCount() const override { return target_->ParameterCount(); }
  int ParameterIndex(const std::string& name) const override { return target_->ParameterIndex(name); }
  void SetNull(int i) override { target_->SetNull(i); }
  void SetInt(int i, int32_t v) override { target_->SetInt(i, v); }
  void SetDouble(int i, double v) override { target_->SetDouble(i, v); }
  void SetText(int i, const std::string& v) override { target_->SetText(i, v); }
  void SetTextView(int i, std::string_view v) override { target_->SetTextView(i, v); }
  void Execute() override {
    FailIf(plan_, "execute");
    target_->Execute();
  }
  bool Fetch() override {
    FailIf(plan_, "fetch");
    return target_->Fetch();
  }
  void CloseResult() override { target_->CloseResult(); }
  // As the real statement: its results are read ahead on a worker.
  bool ReadableOnAnyThread() const override { return target_->ReadableOnAnyThread(); }
  bool IsNull(const std::string& c) const override { return target_->IsNull(c); }
  std::string AsText(const std::string& c) const override { return target_->AsText(c); }
  int64_t AsInt(const std::string& c) const override { return target_->AsInt(c); }
  double AsDouble(const std::string& c) const override { return target_->AsDouble(c); }

 private:
  std::unique_ptr<DbStatement> target_;
  FaultPlan& plan_;
};

class FaultConnection : public DbConnectionWrapper {
 public:
  FaultConnection(std::unique_ptr<DbConnection> target, FaultPlan& plan)
      : DbConnectionWrapper(std::move(target)), plan_(plan) {}
  void StartTransaction(LockWait wait) override {
    FailIf(plan_, "start transaction");
    DbConnectionWrapper::StartTransaction(wait);
  }
  void ExecuteImmediate(const std::string& sql) override {
    FailIf(plan_, "execute immediate");
    DbConnectionWrapper::ExecuteImmediate(sql);
  }
  std::unique_ptr<DbStatement> Prepare(const std::string& sql) override {
    FailIf(plan_, "prepare");
    return std::make_unique<FaultStatement>(DbConnectionWrapper::Prepare(sql), plan_);
  }
  void CommitRetaining() override {
    FailIf(plan_, "commit retaining");
    DbConnectionWrapper::CommitRetaining();
  }
  void Commit() override {
    FailIf(plan_, "commit");
    DbConnectionWrapper::Commit();
  }
  void Rollback() override {
    FailIf(plan_, "rollback");
    DbConnectionWrapper::Rollback();
  }
  void Detach() override {
    FailIf(plan_, "detach");
    DbConnectionWrapper::Detach();
  }
  std::unique_ptr<DbConnection> AttachAgain() override {
    FailIf(plan_, "attach again");
    auto again = DbConnectionWrapper::AttachAgain();
    return again ? std::make_unique<FaultConnection>(std::move(again), plan_) : nullptr;
  }

 private:
  FaultPlan& plan_;
};

}  // namespace korvun::testing
