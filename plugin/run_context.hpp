// Everything a stage of an export run reaches out to, handed down explicitly
// so that tests can put doubles in every place.
#pragma once

#include "platform/env.hpp"
#include "platform/ui.hpp"
#include "plugin/module_state.hpp"
#include "plugin/progress.hpp"

namespace korvun {

struct RunContext {
  Env& env;
  Ui& ui;
  const Reporter& reporter;
  ErrorDetails& errors;
  int debugMode = 0;
};

}  // namespace korvun
