#include <ibase.h>

#include "staging/database_path.hpp"
#include "staging/firebird_api.hpp"
#include "staging/firebird_client.hpp"
#include "staging/firebird_connection.hpp"
#include "staging/firebird_parameter_block.hpp"
#include "staging/firebird_session.hpp"

namespace korvun {
namespace {

// A text in single quotes, as SQL writes it.
std::string SqlLiteral(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

[[noreturn]] void Fail(const FirebirdApi& api, const ISC_STATUS* status) {
  throw DbError(FirebirdStatusText(api, status));
}

}  // namespace

std::unique_ptr<DbConnection> AttachFirebird(Env& env, const std::string& path,
                                             const std::string& password) {
  auto session = std::make_shared<FirebirdSession>();
  session->api = &LoadFirebirdApi(env);
  FirebirdParameterBlock parameters = SysdbaParameters(password);
  parameters.Text(isc_dpb_lc_ctype, "ISO8859_1").Number(isc_dpb_sql_dialect, kFirebirdDialect, 4);
  ISC_STATUS_ARRAY st;
  // The client opens the file itself, by the system's name for it.
  const std::string nativePath = env.NativePath(path);
  const auto nativeNames = env.EnterNativePathScope();
  if (session->api->attach_database(st, 0, nativePath.c_str(), &session->db, parameters.size(),
                                    parameters.data())) {
    session->Fail(st);
  }
  return std::make_unique<FirebirdConnection>(std::move(session), NamesServer(path), [&env, path, password] {
    return AttachFirebird(env, path, password);
  });
}

void CreateFirebirdDatabase(Env& env, const std::string& path, const std::string& password) {
  const FirebirdApi& api = LoadFirebirdApi(env);
  // The client creates and opens the file itself, by the system's name for it.
  const std::string nativePath = env.NativePath(path);
  const auto nativeNames = env.EnterNativePathScope();
  const std::string create = "CREATE DATABASE " + SqlLiteral(nativePath) + " USER 'SYSDBA' PASSWORD " +
                             SqlLiteral(password) + " PAGE_SIZE 8192 DEFAULT CHARACTER SET ISO8859_1";
  ISC_STATUS_ARRAY st;
  isc_db_handle db = 0;
  isc_tr_handle tr = 0;
  if (api.dsql_execute_immediate(st, &db, &tr, 0, create.c_str(), kFirebirdDialect, nullptr)) Fail(api, st);
  if (api.detach_database(st, &db)) Fail(api, st);

  // Forced writes are switched by an attachment that asks for it.
  FirebirdParameterBlock parameters = SysdbaParameters(password);
  parameters.Number(isc_dpb_force_write, 0, 1);
  db = 0;
  if (api.attach_database(st, 0, nativePath.c_str(), &db, parameters.size(), parameters.data())) Fail(api, st);
  if (api.detach_database(st, &db)) Fail(api, st);
}

}  // namespace korvun
