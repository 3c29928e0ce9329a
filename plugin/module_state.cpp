#include "plugin/module_state.hpp"

namespace korvun {

ModuleState& Module() {
  static ModuleState state;
  return state;
}

}  // namespace korvun
