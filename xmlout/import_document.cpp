// Placeholder until the XML stage lands.
#include "staging/import_file_writer.hpp"
#include <stdexcept>
namespace korvun {
int WriteImportFile(RunContext&, DbConnection&, const ImportFileArgs&) {
  throw std::runtime_error("XML-Erstellung noch nicht vorhanden");
}
}  // namespace korvun
