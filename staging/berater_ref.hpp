// The intermediary number as the host passes it ("12345-678"): the whole
// text and its levels, which select the customers of the XML file.
#pragma once

#include <string>
#include <vector>

namespace korvun {

constexpr int kMaxSelectionParts = 6;
// The main intermediary number is stored in a column of this width.
constexpr size_t kMaxFirstPartLength = 15;

struct SelectionParts {
  // Entry 0 the trimmed whole, entries 1..count the trimmed parts; always
  // kMaxSelectionParts + 1 entries, unused ones empty.
  std::vector<std::string> parts;
  int count = 0;
};

// Split at "-"; whatever follows a sixth "-" is dropped.
SelectionParts SplitBeraterRef(const std::string& beraterRef);

}  // namespace korvun
