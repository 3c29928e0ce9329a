// korvun-zuv init-db PATH: creates an empty staging database from the schema
// built into the program, with the database client alone.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/text_encoding.hpp"
#include "platform/env.hpp"
#include "staging/staging_database.hpp"

int RunInitDbCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "Aufruf: korvun-zuv init-db PFAD\n");
    return 2;
  }
  try {
    // The core takes paths in Windows-1252, as from any other host.
    korvun::CreateStagingDatabase(korvun::Env::Default(), korvun::Utf8ToCp1252(args[0]),
                                  korvun::StagingSchemaSql());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Staging-Datenbank %s nicht angelegt: %s\n", args[0].c_str(), e.what());
    return 1;
  }
  std::printf("Staging-Datenbank angelegt: %s\n", args[0].c_str());
  return 0;
}
