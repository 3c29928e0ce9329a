#include "platform/posix/output_file_posix.hpp"

#include "platform/posix/file_posix.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace korvun {
namespace {

// Writing back starts for every further step; what lies more than a window
// behind the end is dropped from memory once it is on the disk. The window
// keeps the writer from waiting for the disk in the usual case.
constexpr off_t kWriteBackStep = off_t{8} << 20;
constexpr off_t kKeptWindow = off_t{32} << 20;

class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Append(const char* data, size_t size) override {
    if (failed_ || fd_ < 0) return false;
    if (!WriteAll(fd_, data, size)) {
      failed_ = true;
      return false;
    }
    written_ += static_cast<off_t>(size);
    if (written_ - handedOver_ >= kWriteBackStep) WriteBehind();
    return !failed_;
  }

  bool Close() override {
    if (fd_ < 0) return false;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed && !failed_;
  }

 private:
  void WriteBehind() {
#ifdef __linux__
    if (!writeBehind_) return;
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

  // A file system without writing back on request is written the plain
  // way; a failing disk fails the file.
  void Unsupported() {
    if (errno == EIO || errno == ENOSPC) failed_ = true;
    writeBehind_ = false;
  }

  int fd_;
  bool failed_ = false;
  bool writeBehind_ = true;
  off_t written_ = 0;
  off_t handedOver_ = 0;
  off_t dropped_ = 0;
};

}  // namespace

std::unique_ptr<OutputFile> CreatePosixOutputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutputFile>(fd);
}

}  // namespace korvun
