#include "staging/firebird_api.hpp"

#include <mutex>
#include <vector>

#include "staging/db_client.hpp"
#include "staging/firebird_client_library.hpp"

namespace korvun {
namespace {

// Room for any message: Firebird's clients write up to twice the system's
// longest path, InterBase asks for at least 512 bytes.
constexpr size_t kMessageBufferSize = 8192;

void AppendListed(std::string* list, const std::string& item, const char* separator) {
  if (!list->empty()) *list += separator;
  *list += item;
}

template <typename Fn>
void Resolve(Env& env, void* library, const char* name, Fn* slot, std::string* missing) {
  *slot = reinterpret_cast<Fn>(env.FindSymbol(library, name));
  if (*slot == nullptr) AppendListed(missing, name, ", ");
}

// The functions of one loaded library; the names it lacks, empty when none.
std::string ResolveFunctions(Env& env, void* library, FirebirdApi* found) {
  std::string missing;
  Resolve(env, library, "isc_attach_database", &found->attach_database, &missing);
  Resolve(env, library, "isc_detach_database", &found->detach_database, &missing);
  Resolve(env, library, "isc_start_multiple", &found->start_multiple, &missing);
  Resolve(env, library, "isc_commit_transaction", &found->commit_transaction, &missing);
  Resolve(env, library, "isc_commit_retaining", &found->commit_retaining, &missing);
  Resolve(env, library, "isc_rollback_transaction", &found->rollback_transaction, &missing);
  Resolve(env, library, "isc_dsql_execute_immediate", &found->dsql_execute_immediate, &missing);
  Resolve(env, library, "isc_dsql_allocate_statement", &found->dsql_allocate_statement, &missing);
  Resolve(env, library, "isc_dsql_prepare", &found->dsql_prepare, &missing);
  Resolve(env, library, "isc_dsql_describe", &found->dsql_describe, &missing);
  Resolve(env, library, "isc_dsql_describe_bind", &found->dsql_describe_bind, &missing);
  Resolve(env, library, "isc_dsql_execute", &found->dsql_execute, &missing);
  Resolve(env, library, "isc_dsql_fetch", &found->dsql_fetch, &missing);
  Resolve(env, library, "isc_dsql_free_statement", &found->dsql_free_statement, &missing);
  // Either message function will do.
  std::string noInterpret;
  Resolve(env, library, "fb_interpret", &found->interpret, &noInterpret);
  if (found->interpret == nullptr) {
    std::string noInterprete;
    Resolve(env, library, "isc_interprete", &found->interprete, &noInterprete);
    if (found->interprete == nullptr) AppendListed(&missing, "fb_interpret/isc_interprete", ", ");
  }
  return missing;
}

// The next message of the status vector into line; false after the last.
bool NextMessage(const FirebirdApi& api, char* line, const ISC_STATUS** cursor) {
  if (api.interpret) return api.interpret(line, kMessageBufferSize, cursor) > 0;
  return api.interprete(line, const_cast<ISC_STATUS**>(cursor)) > 0;
}

}  // namespace

FirebirdApi ResolveFirebirdApi(Env& env) {
  std::string failures;
  // Names tried in order; the first that loads with every function is used.
  for (const auto& name : FirebirdClientLibraries(env.Kind())) {
    std::string error;
    void* library = LoadFirebirdClientLibrary(env, name, &error);
    if (!library) {
      AppendListed(&failures, error.empty() ? name : error, "; ");
      continue;
    }
    FirebirdApi found;
    const std::string missing = ResolveFunctions(env, library, &found);
    if (missing.empty()) return found;
    env.ReleaseSharedLibrary(library);
    AppendListed(&failures, name + " ohne " + missing, "; ");
  }
  throw DbError("Die Firebird-Client-Bibliothek konnte nicht geladen werden (" + failures + ").");
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
  std::vector<char> line(kMessageBufferSize, '\0');
  while (NextMessage(api, line.data(), &cursor)) {
    if (!text.empty()) text += '\n';
    text += line.data();
  }
  if (text.empty()) text = "Unbekannter Datenbankfehler";
  return text;
}

}  // namespace korvun
