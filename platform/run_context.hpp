// Everything a stage of an export run reaches out to, handed down explicitly
// so that tests can put doubles in every place.
#pragma once

#include "base/progress.hpp"
#include "platform/env.hpp"
#include "platform/ui.hpp"

namespace korvun {

struct RunContext {
  Env& env;
  Ui& ui;
  const Reporter& reporter;
  int debugMode = 0;
};

}  // namespace korvun
