#include "staging/database_server.hpp"

namespace korvun {

const char kServerRegistryKey[] = "SOFTWARE\\Borland\\InterBase\\CurrentVersion";

namespace {

const char kNotInstalled[] =
    "Datenbanksystem \"Interbase\" nicht installiert. Bitte installieren Sie Interbase neu.";
const char kNotStarted[] = "Datenbanksystem \"Interbase\" konnte nicht gestartet werden.";

// The log's words for a start the platform did not make: the service
// manager's on Debian (systemd), the system's own on Windows.
std::string RefusalText(const std::string& service, const ServiceStart& start) {
  switch (start.outcome) {
    case ServiceStart::Outcome::kStarted:
      break;
    case ServiceStart::Outcome::kNoServiceManager:
      return "kein systemd";
    case ServiceStart::Outcome::kCommandFailed:
      return "systemctl start " + service + ".service: Status " + std::to_string(start.code);
    case ServiceStart::Outcome::kRefused:
      return (start.systemText.empty() ? "" : start.systemText + " ") + "(" +
             std::to_string(start.code) + ")";
  }
  return {};
}

// The first service that takes the start request. One on its way to running
// counts as started: a second request would be refused. Why each one did not
// start goes into *refusals.
bool StartByService(Env& env, const DatabaseServerProfile& server, std::string* refusals) {
  for (const auto& service : server.startServices) {
    std::string refusal = "nicht gefunden";
    if (env.ServiceKnown(service)) {
      if (env.ServiceStarting(service)) return true;
      const ServiceStart start = env.StartService(service);
      if (start.started()) return true;
      refusal = RefusalText(service, start);
    }
    if (!refusals->empty()) *refusals += "; ";
    *refusals += "Dienst " + service + ": " + refusal;
  }
  return false;
}

// When no service started: the platform's programs, if it names any, from
// the folder the installer recorded.
bool StartByProgram(Env& env, const DatabaseServerProfile& server) {
  if (server.programs.empty()) return false;
  std::string dir;
  if (env.ReadRegistryString(kServerRegistryKey, "ServerDirectory", &dir) != RegistryRead::kString ||
      dir.empty())
    return false;
  if (dir.back() != env.PathSeparator()) dir += env.PathSeparator();
  for (const auto& program : server.programs)
    if (env.StartDetachedProcess(dir + program)) return true;
  return false;
}

// The server on the given port where the profile knows it by a port at all.
DatabaseServerProfile ServerOn(const DatabaseServerProfile& profile, int port) {
  DatabaseServerProfile server = profile;
  if (port > 0 && server.port > 0) server.port = port;
  return server;
}

}  // namespace

bool IsDatabaseServerRunning(Env& env, const DatabaseServerProfile& profile, int port) {
  const DatabaseServerProfile server = ServerOn(profile, port);
  if (!server.windowClass.empty() && env.TopLevelWindowExists(server.windowClass, server.windowTitle))
    return true;
  if (server.port > 0 && env.CanConnectTcp("localhost", server.port)) return true;
  return !server.stateService.empty() && env.ServiceKnown(server.stateService) &&
         env.ServiceRunning(server.stateService);
}

bool StartDatabaseServer(RunContext& ctx, const DatabaseServerProfile& server, int port) {
  Env& env = ctx.env;
  if (IsDatabaseServerRunning(env, server, port)) return true;
  std::string refusals;
  if (!StartByService(env, server, &refusals) && !StartByProgram(env, server)) {
    if (!refusals.empty()) ctx.reporter.Log("Datenbankserver nicht gestartet: " + refusals);
    return false;
  }
  // The start request does not wait for the server to accept connections;
  // the host's windows are repainted before and after the wait.
  ctx.ui.ProcessPendingMessages();
  env.SleepMilliseconds(1000);
  ctx.ui.ProcessPendingMessages();
  return IsDatabaseServerRunning(env, server, port);
}

Status EnsureDatabaseServer(RunContext& ctx, const DatabaseServerProfile& server, int port) {
  const char* failure = !ctx.env.RegistryKeyExists(kServerRegistryKey) ? kNotInstalled
                        : !StartDatabaseServer(ctx, server, port)        ? kNotStarted
                                                                         : nullptr;
  if (!failure) return Status::Ok();
  return Status(ExportErrorCode::kDatabaseServer).WithDetailText(failure);
}

}  // namespace korvun
