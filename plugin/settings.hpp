// The machine-wide settings and the data directory of a run.
#pragma once

#include <string>

#include "platform/env.hpp"
#include "plugin/module_state.hpp"

namespace korvun {


// What one run reads from the registry. DownloadSrvUrl, ImportDB, Timeout and
// DebugMode are kept module-wide between runs; DataDir belongs to the run.
struct RunSettings {
  std::string dataDir;  // empty: derived from the XML directory
};

// Reads the settings afresh. Never fails: a value stored with a non-string
// type stops the reading, puts the URL back to the built-in one and leaves
// the values not yet read as they were.
RunSettings ReadRunSettings(Env& env, ModuleState& module);

// XmlDir without its first "xml_temp" (any case), followed by "ZUV" and the
// path separator.
std::string DeriveDataDir(const std::string& xmlDir, char separator);

}  // namespace korvun
