#include "staging/import_progress.hpp"

namespace korvun {

int ProgressShare(long long done, long long lines) {
  if (lines <= 0) return 0;
  const long long scaled = 30 * done;
  long long share = scaled / lines;
  const long long twiceRest = 2 * (scaled % lines);
  if (twiceRest > lines || (twiceRest == lines && share % 2 != 0)) ++share;
  return static_cast<int>(share);
}

}  // namespace korvun
