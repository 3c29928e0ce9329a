#include "staging/firebird_connection.hpp"

#include "staging/firebird_statement.hpp"

namespace korvun {

FirebirdConnection::~FirebirdConnection() {
  try {
    Detach();
  } catch (...) {
  }
}

void FirebirdConnection::StartTransaction(LockWait wait) {
  if (session_->db == 0) throw DbError("Keine Verbindung zur Datenbank");
  if (session_->tr != 0) throw DbError("Die Transaktion ist bereits aktiv");
  // The server's defaults (snapshot, read-write, wait), or the same
  // without waiting.
  static const char kNoWait[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency, isc_tpb_nowait};
  // isc_start_multiple rather than the varargs isc_start_transaction: a
  // function pointer of the same calling convention on every platform.
  struct TransactionEntry {
    isc_db_handle* database;
    int parameterLength;
    const char* parameters;
  } entry{&session_->db, wait == LockWait::kNoWait ? static_cast<int>(sizeof kNoWait) : 0,
          wait == LockWait::kNoWait ? kNoWait : nullptr};
  ISC_STATUS_ARRAY st;
  if (session_->api->start_multiple(st, &session_->tr, 1, &entry)) {
    session_->Fail(st);
  }
}

void FirebirdConnection::ExecuteImmediate(const std::string& sql) {
  session_->RequireTransaction();
  ISC_STATUS_ARRAY st;
  if (session_->api->dsql_execute_immediate(st, &session_->db, &session_->tr, 0, sql.c_str(), kFirebirdDialect,
                                            nullptr)) {
    session_->Fail(st);
  }
}

std::unique_ptr<DbStatement> FirebirdConnection::Prepare(const std::string& sql) {
  return std::make_unique<FirebirdStatement>(session_, sql);
}

void FirebirdConnection::CommitRetaining() {
  session_->RequireTransaction();
  ISC_STATUS_ARRAY st;
  if (session_->api->commit_retaining(st, &session_->tr)) session_->Fail(st);
}

void FirebirdConnection::Commit() {
  session_->RequireTransaction();
  ISC_STATUS_ARRAY st;
  if (session_->api->commit_transaction(st, &session_->tr)) session_->Fail(st);
  session_->tr = 0;
}

void FirebirdConnection::Rollback() {
  session_->RequireTransaction();
  ISC_STATUS_ARRAY st;
  if (session_->api->rollback_transaction(st, &session_->tr)) session_->Fail(st);
  session_->tr = 0;
}

void FirebirdConnection::Detach() {
  if (session_->db == 0) return;
  ISC_STATUS_ARRAY st;
  if (session_->tr != 0) {
    try {
      Commit();
    } catch (...) {
      // Not left attached with a transaction nobody can end.
      session_->api->rollback_transaction(st, &session_->tr);
      session_->tr = 0;
      session_->api->detach_database(st, &session_->db);
      session_->db = 0;
      throw;
    }
  }
  if (session_->api->detach_database(st, &session_->db)) session_->Fail(st);
  session_->db = 0;
}

}  // namespace korvun
