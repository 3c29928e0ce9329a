#include "staging/database_server.hpp"

namespace korvun {

const char kServerRegistryKey[] = "SOFTWARE\\Borland\\InterBase\\CurrentVersion";

namespace {

const char kNotInstalled[] =
    "Datenbanksystem \"Interbase\" nicht installiert. Bitte installieren Sie Interbase neu.";
const char kNotStarted[] = "Datenbanksystem \"Interbase\" konnte nicht gestartet werden.";

bool StartByService(Env& env, const DatabaseServerProfile& server) {
  for (const auto& service : server.startServices)
    if (env.ServiceKnown(service) && env.StartService(service)) return true;
  return false;
}

// Where there is no service: the programs of the folder the installer recorded.
bool StartByProgram(Env& env, const DatabaseServerProfile& server) {
  std::string dir;
  if (env.ReadRegistryString(kServerRegistryKey, "ServerDirectory", &dir) != RegistryRead::kString ||
      dir.empty())
    return false;
  if (dir.back() != env.PathSeparator()) dir += env.PathSeparator();
  for (const auto& program : server.programs)
    if (env.StartDetachedProcess(dir + program)) return true;
  return false;
}

}  // namespace

bool IsDatabaseServerRunning(Env& env) {
  const DatabaseServerProfile server = env.DatabaseServer();
  if (!server.windowClass.empty() && env.TopLevelWindowExists(server.windowClass, server.windowTitle))
    return true;
  if (server.port > 0 && env.CanConnectTcp("localhost", server.port)) return true;
  return !server.stateService.empty() && env.ServiceKnown(server.stateService) &&
         env.ServiceRunning(server.stateService);
}

bool StartDatabaseServer(Env& env) {
  if (IsDatabaseServerRunning(env)) return true;
  const DatabaseServerProfile server = env.DatabaseServer();
  if (!StartByService(env, server) && !StartByProgram(env, server)) return false;
  // The start request does not wait for the server to accept connections.
  env.SleepMilliseconds(1000);
  return IsDatabaseServerRunning(env);
}

Status EnsureDatabaseServer(Env& env) {
  const char* failure = !env.RegistryKeyExists(kServerRegistryKey) ? kNotInstalled
                        : !StartDatabaseServer(env)                  ? kNotStarted
                                                                     : nullptr;
  if (!failure) return Status::Ok();
  return Status(ExportErrorCode::kDatabaseServer).WithDetailText(failure);
}

}  // namespace korvun
