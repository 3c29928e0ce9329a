#include "staging/database_server.hpp"

namespace korvun {

const char kServerRegistryKey[] = "SOFTWARE\\Borland\\InterBase\\CurrentVersion";
const char kServerServiceName[] = "firebird3.0";

namespace {

const char kNotInstalled[] =
    "Datenbanksystem \"Interbase\" nicht installiert. Bitte installieren Sie Interbase neu.";
const char kNotStarted[] = "Datenbanksystem \"Interbase\" konnte nicht gestartet werden.";
// The guardian starts the server and restarts it should it stop.
const char kGuardianProgram[] = "fbguard";

}  // namespace

bool IsDatabaseServerRunning(Env& env, int port) {
  if (env.CanConnectTcp("localhost", port)) return true;
  return env.ServiceKnown(kServerServiceName) && env.ServiceRunning(kServerServiceName);
}

bool StartDatabaseServer(Env& env, int port) {
  if (IsDatabaseServerRunning(env, port)) return true;

  bool started = env.ServiceKnown(kServerServiceName) && env.StartService(kServerServiceName);
  if (!started) {
    std::string dir;
    if (env.ReadRegistryString(kServerRegistryKey, "ServerDirectory", &dir) != RegistryRead::kString) {
      dir.clear();
    }
    if (!dir.empty()) {
      if (dir.back() != env.PathSeparator()) dir += env.PathSeparator();
      started = env.StartDetachedProcess(dir + kGuardianProgram);
    }
  }
  if (!started) return false;
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
