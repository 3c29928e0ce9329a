// Placeholder until the staging stage lands.
#include "staging/database_server.hpp"
namespace korvun {
std::string EnsureDatabaseServer(Env&) { return {}; }
}  // namespace korvun
