// Hands a file that is written from start to end to the disk in steps, and
// on Linux drops it from the page cache some way behind the end, so that a
// file of hundreds of megabytes (the import file) does not take that much
// memory. A small file (a log) never reaches the first step.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace korvun {

class WriteBehind {
 public:
  explicit WriteBehind(int fd) : fd_(fd) {}

  // Counts bytes just written to the file; false when the disk failed them.
  bool Written(size_t size);

 private:
  void HandOver();
  void Unsupported();

  int fd_;
  bool failed_ = false;
  bool enabled_ = true;
  off_t written_ = 0;
  off_t handedOver_ = 0;
  off_t dropped_ = 0;
};

}  // namespace korvun
