// An attachment to a Firebird database with its one transaction at a time.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "staging/db_client.hpp"
#include "staging/firebird_session.hpp"

namespace korvun {

class FirebirdConnection final : public DbConnection {
 public:
  // Takes over the attached session; `remote` when it goes through a server.
  // `again` attaches the same database once more.
  using Attach = std::function<std::unique_ptr<DbConnection>()>;
  FirebirdConnection(std::shared_ptr<FirebirdSession> session, bool remote, Attach again = nullptr)
      : session_(std::move(session)), remote_(remote), again_(std::move(again)) {}
  // A transaction still open at the end is committed, as the staging
  // database's rows are meant to survive a failed run for inspection.
  ~FirebirdConnection() override;

  bool Remote() const override { return remote_; }
  std::unique_ptr<DbConnection> AttachAgain() override { return again_ ? again_() : nullptr; }
  void StartTransaction(LockWait wait) override;
  void ExecuteImmediate(const std::string& sql) override;
  std::unique_ptr<DbStatement> Prepare(const std::string& sql) override;
  void CommitRetaining() override;
  void Commit() override;
  void Rollback() override;
  void Detach() override;

 private:
  std::shared_ptr<FirebirdSession> session_;
  bool remote_;
  Attach again_;
};

}  // namespace korvun
