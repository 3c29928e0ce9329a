#include "staging/database_server_profile.hpp"

namespace korvun {

DatabaseServerProfile InterBaseServerProfile() {
  DatabaseServerProfile server;
  server.windowClass = "IB_Server";
  server.windowTitle = "InterBase Server";
  server.stateService = "InterBaseServer";
  server.startServices = {"InterBaseGuardian", "InterBaseServer"};
  return server;
}

DatabaseServerProfile DebianFirebirdServerProfile() {
  DatabaseServerProfile server;
  server.port = 3050;
  server.stateService = "firebird3.0";
  server.startServices = {"firebird3.0"};
  server.programs = {"fbguard"};
  return server;
}

DatabaseServerProfile DatabaseServerProfileOf(Env::System system) {
  return system == Env::System::kWindows ? InterBaseServerProfile() : DebianFirebirdServerProfile();
}

}  // namespace korvun
