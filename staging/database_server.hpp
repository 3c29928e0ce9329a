// Makes sure the database server runs when the host does not embed one.
#pragma once

#include <string>

#include "base/status.hpp"
#include "platform/env.hpp"
#include "platform/run_context.hpp"
#include "staging/database_server_profile.hpp"

namespace korvun {

// Where an installer records the server; "ServerDirectory" holds the folder
// of its programs.
extern const char kServerRegistryKey[];

// Success when the server the profile describes runs (or was started);
// otherwise -29 with the message to show as its detail text. A port other
// than 0 is the one the staging database reaches the server on (ImportDB
// "host/port:path"); it replaces the profile's usual port, so a server on
// another port is seen.
Status EnsureDatabaseServer(RunContext& ctx, const DatabaseServerProfile& server, int port = 0);

// True when the server runs afterwards.
bool StartDatabaseServer(RunContext& ctx, const DatabaseServerProfile& server, int port = 0);

// True when the server's window is there, it answers on its port or its
// service is not stopped (as far as the profile names each of them).
bool IsDatabaseServerRunning(Env& env, const DatabaseServerProfile& server, int port = 0);

}  // namespace korvun
