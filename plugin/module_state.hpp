// What lives as long as the library: the settings kept between runs, the
// error details of the last run and the registered progress callback.
#pragma once

#include <string>

#include "base/product.hpp"
#include "base/progress.hpp"
#include "base/status.hpp"

namespace korvun {

struct ModuleState {
  Reporter reporter;
  ErrorDetails errors;
  std::string downloadSrvUrl = kDefaultDownloadUrl;
  std::string importDb;
  int timeoutSeconds = kDefaultTimeoutSeconds;
  int debugMode = 0;
  // The host raised a system exception in its progress function during the
  // current run; cleared when a run starts.
  bool hostLeftRun = false;
};

// The one instance of the loaded library.
ModuleState& Module();

}  // namespace korvun
