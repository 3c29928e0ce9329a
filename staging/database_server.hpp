// Makes sure the database server runs when the host does not embed one.
#pragma once

#include <string>

#include "platform/env.hpp"

namespace korvun {

// Empty when the server runs (or was started); otherwise the message to show.
std::string EnsureDatabaseServer(Env& env);

}  // namespace korvun
