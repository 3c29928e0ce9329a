// Makes sure the database server runs when the host does not embed one.
#pragma once

#include <string>

#include "base/status.hpp"
#include "platform/env.hpp"

namespace korvun {

// Where an installer records the server; "ServerDirectory" holds the folder
// of its programs.
extern const char kServerRegistryKey[];

// Success when the server runs (or was started); otherwise -29 with the
// message to show as its detail text.
Status EnsureDatabaseServer(Env& env);

// True when the server runs afterwards.
bool StartDatabaseServer(Env& env);

// True when the server's window is there, it answers on its port or its
// service is not stopped (as far as the platform knows each of them).
bool IsDatabaseServerRunning(Env& env);

}  // namespace korvun
