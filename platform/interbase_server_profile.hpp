// How an InterBase server on Windows is known: the window of the running
// server, its own service, and the guardian service started before the
// server's. No program is started directly: every Windows we run on has a
// service manager, and a user who may not start the services must get the
// error rather than a server running in his session. Here rather than in
// the Windows layer, so that the database server check can be tested with
// these names on every platform.
#pragma once

#include "platform/env.hpp"

namespace korvun {

inline DatabaseServerProfile InterBaseServerProfile() {
  DatabaseServerProfile server;
  server.windowClass = "IB_Server";
  server.windowTitle = "InterBase Server";
  server.stateService = "InterBaseServer";
  server.startServices = {"InterBaseGuardian", "InterBaseServer"};
  return server;
}

}  // namespace korvun
