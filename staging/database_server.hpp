// Makes sure the database server runs when the host does not embed one.
#pragma once

#include <string>

#include "base/status.hpp"
#include "platform/env.hpp"

namespace korvun {

// Where an installer records the server; "ServerDirectory" holds the folder
// of its programs.
extern const char kServerRegistryKey[];
// The server's service and its port on this machine.
extern const char kServerServiceName[];
constexpr int kServerPort = 3050;

// Success when the server runs (or was started); otherwise -29 with the
// message to show as its detail text. The port is the one the staging
// database is reached on, so a server on another port is seen as well.
Status EnsureDatabaseServer(Env& env, int port = kServerPort);

// True when the server runs afterwards.
bool StartDatabaseServer(Env& env, int port = kServerPort);

// True when the server answers on its port or its service is not stopped.
bool IsDatabaseServerRunning(Env& env, int port = kServerPort);

}  // namespace korvun
