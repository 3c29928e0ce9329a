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

// The platform's server, on the given port where the platform knows it by
// a port at all.
DatabaseServerProfile ServerOn(Env& env, int port) {
  DatabaseServerProfile server = env.DatabaseServer();
  if (port > 0 && server.port > 0) server.port = port;
  return server;
}

}  // namespace

bool IsDatabaseServerRunning(Env& env, int port) {
  const DatabaseServerProfile server = ServerOn(env, port);
  if (!server.windowClass.empty() && env.TopLevelWindowExists(server.windowClass, server.windowTitle))
    return true;
  if (server.port > 0 && env.CanConnectTcp("localhost", server.port)) return true;
  return !server.stateService.empty() && env.ServiceKnown(server.stateService) &&
         env.ServiceRunning(server.stateService);
}

bool StartDatabaseServer(Env& env, int port) {
  if (IsDatabaseServerRunning(env, port)) return true;
  const DatabaseServerProfile server = env.DatabaseServer();
  if (!StartByService(env, server) && !StartByProgram(env, server)) return false;
  // The start request does not wait for the server to accept connections.
  env.SleepMilliseconds(1000);
  return IsDatabaseServerRunning(env, port);
}

Status EnsureDatabaseServer(Env& env, int port) {
  const char* failure = !env.RegistryKeyExists(kServerRegistryKey) ? kNotInstalled
                        : !StartDatabaseServer(env, port)            ? kNotStarted
                                                                     : nullptr;
  if (!failure) return Status::Ok();
  return Status(ExportErrorCode::kDatabaseServer).WithDetailText(failure);
}

}  // namespace korvun
