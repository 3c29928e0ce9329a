// Collects what the host's progress callback receives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "include/korvun_zuv.h"

namespace korvun::testing {

struct ProgressEvent {
  int kind;
  int value;
  std::string text;
  bool operator==(const ProgressEvent&) const = default;
};

inline std::vector<ProgressEvent>& RecordedProgress() {
  static std::vector<ProgressEvent> events;
  return events;
}

inline void KORVUN_ZUV_CALL RecordProgress(int32_t kind, int32_t value, const char* text) {
  RecordedProgress().push_back({kind, value, text ? text : ""});
}

}  // namespace korvun::testing
