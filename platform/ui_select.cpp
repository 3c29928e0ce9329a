#include <cstdlib>
#include <string>

#include "platform/ui.hpp"

namespace korvun {

std::unique_ptr<Ui> MakeChosenUi() {
  const char* choice = std::getenv("KORVUN_UI");
  const std::string wanted = choice ? choice : "";
  if (wanted == "none") return MakeSilentUi();
  // An asked-for face that cannot work here falls back the usual way, so a
  // run never waits for a window nobody can see.
  if (wanted != "tty") {
    if (auto desktop = MakeDesktopUi()) return desktop;
  }
  if (auto terminal = MakeTerminalUi()) return terminal;
  return MakeSilentUi();
}

Ui& ProcessUi() {
  static std::unique_ptr<Ui> ui = MakeChosenUi();
  return *ui;
}

}  // namespace korvun
