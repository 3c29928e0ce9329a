// How the local database server is known on a platform: what proves that it
// runs and what starts it. Plain data the server check hands to Env's
// windows, ports, services and processes; every platform's profile is here,
// so that the check can be tested with each one anywhere.
#pragma once

#include <string>
#include <vector>

#include "platform/env.hpp"

namespace korvun {

struct DatabaseServerProfile {
  std::string windowClass, windowTitle;  // its top-level window; empty: none to look for
  int port = 0;                          // a port it answers on; 0: none to try
  std::string stateService;              // its service; any state but stopped counts as running
  std::vector<std::string> startServices;  // started in this order until one starts
  std::vector<std::string> programs;     // else started from its folder, in this order
};

// An InterBase server on Windows: the window of the running server, its own
// service, and the guardian service started before the server's. No program
// is started directly: every Windows we run on has a service manager, and a
// user who may not start the services must get the error rather than a
// server running in his session.
DatabaseServerProfile InterBaseServerProfile();

// Debian's Firebird server: its port, its systemd unit, else its guardian.
DatabaseServerProfile DebianFirebirdServerProfile();

// The profile of the local server on a system.
DatabaseServerProfile DatabaseServerProfileOf(Env::System system);

}  // namespace korvun
