// Makes sure the database server runs when the host does not embed one.
#pragma once

#include <string>

#include "platform/env.hpp"

namespace korvun {

// Where an installer records the server; "ServerDirectory" holds the folder
// of its programs.
extern const char kServerRegistryKey[];
// The server's service and its port on this machine.
extern const char kServerServiceName[];
constexpr int kServerPort = 3050;

// Empty when the server runs (or was started); otherwise the message to show.
std::string EnsureDatabaseServer(Env& env);

// True when the server runs afterwards.
bool StartDatabaseServer(Env& env);

// True when the server answers on its port or its service is not stopped.
bool IsDatabaseServerRunning(Env& env);

}  // namespace korvun
