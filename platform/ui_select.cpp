#include "platform/ui.hpp"

namespace korvun {

Ui& ProcessUi() {
  static std::unique_ptr<Ui> ui = MakeSilentUi();
  return *ui;
}

}  // namespace korvun
