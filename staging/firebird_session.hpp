// What a Firebird connection and its statements share: the client's
// functions and the attachment's handles, held by every statement so that
// one outliving its connection does not touch freed handles.
#pragma once

#include "staging/db_client.hpp"
#include "staging/firebird_api.hpp"

namespace korvun {

// The SQL dialect of every statement and attachment.
constexpr unsigned short kFirebirdDialect = 3;

struct FirebirdSession {
  const FirebirdApi* api = nullptr;
  isc_db_handle db = 0;
  isc_tr_handle tr = 0;

  [[noreturn]] void Fail(const ISC_STATUS* status) const {
    throw DbError(FirebirdStatusText(*api, status), status[0] == 1 ? static_cast<long>(status[1]) : 0);
  }
  void Check(const ISC_STATUS* status) const {
    if (status[0] == 1 && status[1] != 0) Fail(status);
  }
  void RequireTransaction() const {
    if (db == 0) throw DbError("Keine Verbindung zur Datenbank");
    if (tr == 0) throw DbError("Keine Transaktion aktiv");
  }
};

}  // namespace korvun
