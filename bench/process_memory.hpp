// The resident memory of this process, for the benchmarks' memory figures.
#pragma once

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace korvun::bench {

// A line of /proc/self/status in bytes: "VmRSS:" now, "VmHWM:" at the peak.
inline long long StatusBytes(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atoll(line.c_str() + std::strlen(key)) * 1024;
  }
  return 0;
}

// Starts the peak over from the present size.
inline void ResetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

}  // namespace korvun::bench
