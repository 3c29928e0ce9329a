#include "base/progress.hpp"

#include <string>

namespace korvun {

void Reporter::Send(int kind, int value, std::string_view text) const {
  if (!callback_) return;
  std::string terminated(text);  // the host expects a null-terminated string
  callback_(kind, value, terminated.c_str());
}

}  // namespace korvun
