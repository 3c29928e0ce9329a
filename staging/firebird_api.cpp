#include "staging/firebird_api.hpp"

#include <mutex>
#include <vector>

#include "staging/db_client.hpp"

namespace korvun {
namespace {

template <typename Fn>
void Resolve(Env& env, void* library, const char* name, Fn* slot, std::string* missing) {
  *slot = reinterpret_cast<Fn>(env.FindSymbol(library, name));
  if (*slot == nullptr) {
    if (!missing->empty()) *missing += ", ";
    *missing += name;
  }
}

}  // namespace

FirebirdApi ResolveFirebirdApi(Env& env) {
  void* library = nullptr;
  std::string errors;
  // Names tried in order; the first that loads is used.
  for (const auto& name : env.FirebirdClientLibraries()) {
    std::string error;
    library = env.LoadSharedLibrary(name, &error);
    if (library) break;
    if (!errors.empty()) errors += "; ";
    errors += error.empty() ? name : error;
  }
  if (!library) {
    throw DbError("Die Firebird-Client-Bibliothek konnte nicht geladen werden (" + errors + ").");
  }

  FirebirdApi found;
  std::string missing;
  Resolve(env, library, "isc_attach_database", &found.attach_database, &missing);
  Resolve(env, library, "isc_detach_database", &found.detach_database, &missing);
  Resolve(env, library, "isc_start_multiple", &found.start_multiple, &missing);
  Resolve(env, library, "isc_commit_transaction", &found.commit_transaction, &missing);
  Resolve(env, library, "isc_commit_retaining", &found.commit_retaining, &missing);
  Resolve(env, library, "isc_rollback_transaction", &found.rollback_transaction, &missing);
  Resolve(env, library, "isc_dsql_execute_immediate", &found.dsql_execute_immediate, &missing);
  Resolve(env, library, "isc_dsql_allocate_statement", &found.dsql_allocate_statement, &missing);
  Resolve(env, library, "isc_dsql_prepare", &found.dsql_prepare, &missing);
  Resolve(env, library, "isc_dsql_describe", &found.dsql_describe, &missing);
  Resolve(env, library, "isc_dsql_describe_bind", &found.dsql_describe_bind, &missing);
  Resolve(env, library, "isc_dsql_execute", &found.dsql_execute, &missing);
  Resolve(env, library, "isc_dsql_fetch", &found.dsql_fetch, &missing);
  Resolve(env, library, "isc_dsql_free_statement", &found.dsql_free_statement, &missing);
  Resolve(env, library, "fb_interpret", &found.interpret, &missing);
  if (!missing.empty()) {
    throw DbError("Der Firebird-Client-Bibliothek fehlen Funktionen: " + missing);
  }
  return found;
}

const FirebirdApi& LoadFirebirdApi(Env& env) {
  static std::mutex mutex;
  static FirebirdApi api;
  static bool loaded = false;
  std::lock_guard<std::mutex> lock(mutex);
  if (!loaded) {
    api = ResolveFirebirdApi(env);
    loaded = true;
  }
  return api;
}

std::string FirebirdStatusText(const FirebirdApi& api, const ISC_STATUS* status) {
  std::string text;
  const ISC_STATUS* cursor = status;
  char line[1024];
  while (api.interpret(line, sizeof line, &cursor) > 0) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  if (text.empty()) text = "Unbekannter Datenbankfehler";
  return text;
}

}  // namespace korvun
