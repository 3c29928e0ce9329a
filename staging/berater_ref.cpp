#include "staging/berater_ref.hpp"

#include "staging/csv_text.hpp"

namespace korvun {

SelectionParts SplitBeraterRef(const std::string& beraterRef) {
  SelectionParts result;
  result.parts.assign(kMaxSelectionParts + 1, std::string());
  std::string rest(TrimControl(beraterRef));
  result.parts[0] = rest;
  int count = 0;
  for (;;) {
    ++count;
    const size_t dash = rest.find('-');
    if (dash == std::string::npos) {
      result.parts[static_cast<size_t>(count)] = std::string(TrimControl(rest));
      break;
    }
    result.parts[static_cast<size_t>(count)] = std::string(TrimControl(std::string_view(rest).substr(0, dash)));
    rest = std::string(TrimControl(std::string_view(rest).substr(dash + 1)));
    if (count >= kMaxSelectionParts) break;
  }
  result.count = count;
  return result;
}

}  // namespace korvun
