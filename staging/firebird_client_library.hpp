// Where the Firebird client library is looked for: its file names on this
// platform and, on Windows, the folders its installers recorded. Env only
// loads what it is given.
#pragma once

#include <string>
#include <vector>

#include "platform/env.hpp"

namespace korvun {

// File names of the client library on a system, in the order to try them.
std::vector<std::string> FirebirdClientLibraries(Env::System system);

// The folders in which InterBase's and Firebird's installers put their
// client, as the registry records them: InterBase's server and root folder
// and the root's bin, Firebird's default instance and its bin. Each ends
// with a backslash; no folder twice.
std::vector<std::string> DatabaseClientFolders(Env& env);

// Loads the client by one of its names. On Windows a name that the
// platform's search does not reach is looked for in DatabaseClientFolders;
// *error then tells why the name itself did not load.
void* LoadFirebirdClientLibrary(Env& env, const std::string& name, std::string* error);

}  // namespace korvun
