// Result codes and statuses printed by number in test failures.
#pragma once

#include <ostream>

#include "base/status.hpp"

namespace korvun {

inline void PrintTo(ExportErrorCode code, std::ostream* os) { *os << CodeValue(code); }

inline void PrintTo(const Status& status, std::ostream* os) {
  *os << status.value();
  if (status.detailCode()) *os << " detail " << *status.detailCode();
  if (status.detailText()) *os << " \"" << *status.detailText() << '"';
}

}  // namespace korvun
