// korvun-zuv init-db PATH: creates an empty staging database.
#include <cstdio>
#include <string>
#include <vector>

int RunInitDbCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "Aufruf: korvun-zuv init-db PFAD\n");
    return 2;
  }
  std::fprintf(stderr, "init-db ist in diesem Stand noch nicht vorhanden.\n");
  return 1;
}
