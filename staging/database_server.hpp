// Makes sure the database server runs when the host does not embed one.
#pragma once

#include <string>

#include "base/status.hpp"
#include "platform/env.hpp"
#include "platform/run_context.hpp"

namespace korvun {

// Where an installer records the server; "ServerDirectory" holds the folder
// of its programs.
extern const char kServerRegistryKey[];

// Success when the server runs (or was started); otherwise -29 with the
// message to show as its detail text. A port other than 0 is the one the
// staging database reaches the server on (ImportDB "host/port:path"); it
// replaces the platform's usual port, so a server on another port is seen.
Status EnsureDatabaseServer(RunContext& ctx, int port = 0);

// True when the server runs afterwards.
bool StartDatabaseServer(RunContext& ctx, int port = 0);

// True when the server's window is there, it answers on its port or its
// service is not stopped (as far as the platform knows each of them).
bool IsDatabaseServerRunning(Env& env, int port = 0);

}  // namespace korvun
