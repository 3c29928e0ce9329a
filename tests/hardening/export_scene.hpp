// One small export set up in a temp folder, run inside the test process:
// import folder, data folder with the maps and a fresh staging database,
// generated provider data served by the simulator, a registry file pointing
// there. Runs go through the real stages; the test may put its own platform,
// person and staging connection wrapper in.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/env.hpp"
#include "platform/ui.hpp"
#include "plugin/module_state.hpp"
#include "staging/import_stage.hpp"
#include "tools/sim_launcher.hpp"

namespace korvun::testing {

class ExportScene {
 public:
  // `script` for the simulator (see korvun-zuv-sim --help).
  explicit ExportScene(const std::string& name, int customers = 3, const std::string& script = "");
  ~ExportScene();

  // One run with the given platform and person; the result code.
  int32_t Run(Env& env, Ui& ui, const StagingConnectionWrap& wrap = {},
              const std::string& pin = "geheim");
  // The message the host would get for the last run's code.
  std::string Message(int32_t code);

  std::string ReadXml() const;
  // True when the import file is there and ends with its root's end tag.
  bool XmlComplete() const;
  // Files of the import and data folders whose names end in .tmp or .part.
  std::vector<std::string> LeftOvers() const;
  // Attaches the staging database and reads from it; empty when that works,
  // else the database's message.
  std::string StagingProblem() const;

  // The import's ImportRequest::readAheadLines; 0 reads every CSV file on a worker.
  std::optional<long long> importReadAheadLines;

  std::filesystem::path root, xmlDir, dataDir;
  ModuleState module;
  std::unique_ptr<sim::SimulatorProcess> sim;
};

}  // namespace korvun::testing
