// Placeholder until the staging stage lands.
#include "staging/import_stage.hpp"
#include <stdexcept>
namespace korvun {
int RunImport(RunContext&, const ImportRequest&) {
  throw std::runtime_error("Import-Stufe noch nicht vorhanden");
}
}  // namespace korvun
