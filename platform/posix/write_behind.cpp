#include "platform/posix/write_behind.hpp"

#include <fcntl.h>

#include <cerrno>

namespace korvun {
namespace {

// Writing back starts for every further step; what lies more than a window
// behind the end is dropped from memory once it is on the disk. The window
// keeps the writer from waiting for the disk in the usual case.
constexpr off_t kWriteBackStep = off_t{8} << 20;
constexpr off_t kKeptWindow = off_t{32} << 20;

}  // namespace

bool WriteBehind::Written(size_t size) {
  written_ += static_cast<off_t>(size);
  if (!failed_ && written_ - handedOver_ >= kWriteBackStep) HandOver();
  return !failed_;
}

void WriteBehind::HandOver() {
#ifdef __linux__
  if (!enabled_) return;
  if (::sync_file_range(fd_, handedOver_, written_ - handedOver_, SYNC_FILE_RANGE_WRITE) != 0) {
    Unsupported();
    return;
  }
  handedOver_ = written_;
  const off_t dropUpTo = handedOver_ - kKeptWindow;
  if (dropUpTo <= dropped_) return;
  const unsigned wait =
      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
  if (::sync_file_range(fd_, dropped_, dropUpTo - dropped_, wait) != 0) {
    Unsupported();
    return;
  }
  ::posix_fadvise(fd_, dropped_, dropUpTo - dropped_, POSIX_FADV_DONTNEED);
  dropped_ = dropUpTo;
#else
  handedOver_ = written_;
#endif
}

// A file system without writing back on request is written the plain way;
// a failing disk fails the file.
void WriteBehind::Unsupported() {
  if (errno == EIO || errno == ENOSPC) failed_ = true;
  enabled_ = false;
}

}  // namespace korvun
