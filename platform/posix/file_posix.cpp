#include "platform/posix/file_posix.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/text_encoding.hpp"
#include "platform/buffered_writable_file.hpp"
#include "base/file_failures.hpp"
#include "platform/posix/write_behind.hpp"

namespace korvun {
namespace {

Status Failure(const char* what, const std::string& path) { return FileFailure(what, path); }

// Calls `readSome(buffer, count, done)` until n bytes are read or the file
// ends, so that only the end of the file gives fewer bytes than asked for.
template <typename ReadSome>
Status ReadFully(ReadSome readSome, size_t n, std::string_view* result, char* scratch,
                 const std::string& path) {
  size_t got = 0;
  while (got < n) {
    const ssize_t r = readSome(scratch + got, n - got, got);
    if (r < 0) {
      if (errno == EINTR) continue;
      *result = std::string_view();
      return Failure(kCannotRead, path);
    }
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  *result = std::string_view(scratch, got);
  return Status::Ok();
}

class PosixSequentialFile final : public SequentialFile {
 public:
  PosixSequentialFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixSequentialFile() override { ::close(fd_); }

  Status Read(size_t n, std::string_view* result, char* scratch) override {
    return ReadFully([this](char* to, size_t count, size_t) { return ::read(fd_, to, count); }, n, result,
                     scratch, path_);
  }

 private:
  int fd_;
  std::string path_;
};

class PosixRandomAccessFile final : public RandomAccessFile {
 public:
  PosixRandomAccessFile(int fd, uint64_t size, std::string path)
      : fd_(fd), size_(size), path_(std::move(path)) {}
  ~PosixRandomAccessFile() override { ::close(fd_); }

  // pread keeps no position of its own, so reads at different offsets do
  // not disturb each other.
  Status Read(uint64_t offset, size_t n, std::string_view* result, char* scratch) const override {
    return ReadFully(
        [this, offset](char* to, size_t count, size_t done) {
          return ::pread(fd_, to, count, static_cast<off_t>(offset + done));
        },
        n, result, scratch, path_);
  }
  uint64_t Size() const override { return size_; }

 private:
  int fd_;
  uint64_t size_;
  std::string path_;
};

class PosixWritableFile final : public BufferedWritableFile {
 public:
  PosixWritableFile(int fd, std::string path)
      : BufferedWritableFile(std::move(path)), fd_(fd), writeBehind_(fd) {}
  ~PosixWritableFile() override { CloseIfOpen(); }

 private:
  bool WriteThrough(const char* data, size_t size) override {
    return WriteAll(fd_, data, size) && writeBehind_.Written(size);
  }
  bool CloseHandle() override { return ::close(fd_) == 0; }

  int fd_;
  WriteBehind writeBehind_;
};

FolderEntry::Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FolderEntry::Kind::kFile;
  if (S_ISDIR(mode)) return FolderEntry::Kind::kFolder;
  if (S_ISLNK(mode)) return FolderEntry::Kind::kLink;
  return FolderEntry::Kind::kOther;
}

}  // namespace

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string PosixPath(const std::string& path) { return Cp1252ToUtf8(path); }

Status NewPosixSequentialFile(const std::string& path, std::unique_ptr<SequentialFile>* result) {
  const int fd = ::open(PosixPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failure(kCannotOpen, path);
  *result = std::make_unique<PosixSequentialFile>(fd, path);
  return Status::Ok();
}

Status NewPosixRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* result) {
  const int fd = ::open(PosixPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failure(kCannotOpen, path);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Failure(kCannotOpen, path);
  }
  *result = std::make_unique<PosixRandomAccessFile>(fd, static_cast<uint64_t>(st.st_size), path);
  return Status::Ok();
}

Status NewPosixWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) {
  const int fd = ::open(PosixPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Failure(kCannotCreate, path);
  *result = std::make_unique<PosixWritableFile>(fd, path);
  return Status::Ok();
}

Status WritePosixFileAtomically(const std::string& path, std::string_view data) {
  // A hidden name in the same folder: the rename stays on one file system.
  const size_t slash = path.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  const std::string temp = PosixPath(path.substr(0, nameAt) + "." + path.substr(nameAt) + ".tmp");
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Failure(kCannotCreate, path);
  const bool written = WriteAll(fd, data.data(), data.size());
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), PosixPath(path).c_str()) != 0) {
    ::unlink(temp.c_str());
    return Failure(kCannotWrite, path);
  }
  return Status::Ok();
}

Status RenamePosixFile(const std::string& from, const std::string& to) {
  if (::rename(PosixPath(from).c_str(), PosixPath(to).c_str()) == 0) return Status::Ok();
  return Failure(kCannotRename, from + " -> " + to);
}

Status RemovePosixFile(const std::string& path) {
  if (::unlink(PosixPath(path).c_str()) == 0) return Status::Ok();
  return Failure(kCannotRemove, path);
}

Status GetPosixChildren(const std::string& dir, std::vector<FolderEntry>* entries) {
  entries->clear();
  DIR* folder = ::opendir(PosixPath(dir).c_str());
  if (!folder) return Failure(kCannotList, dir);
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(folder);
    if (!e) break;
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    FolderEntry entry;
    entry.name = Utf8ToCp1252(e->d_name);
    switch (e->d_type) {
      case DT_REG: entry.kind = FolderEntry::Kind::kFile; break;
      case DT_DIR: entry.kind = FolderEntry::Kind::kFolder; break;
      case DT_LNK: entry.kind = FolderEntry::Kind::kLink; break;
      case DT_UNKNOWN: {
        // Some file systems do not tell the type in the listing.
        struct stat st;
        if (::fstatat(::dirfd(folder), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
          entry.kind = KindOf(st.st_mode);
        break;
      }
      default: break;
    }
    entries->push_back(std::move(entry));
  }
  const bool complete = errno == 0;
  ::closedir(folder);
  return complete ? Status::Ok() : Failure(kCannotList, dir);
}

Status CreatePosixDir(const std::string& dir) {
  const std::string native = PosixPath(dir);
  if (::mkdir(native.c_str(), 0777) == 0) return Status::Ok();
  struct stat st;
  if (errno == EEXIST && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return Status::Ok();
  return Failure(kCannotCreateDir, dir);
}

bool PosixFileExists(const std::string& path) {
  struct stat st;
  return ::stat(PosixPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Status SetPosixFileTime(const std::string& path, std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto seconds = floor<std::chrono::seconds>(time);
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // the access time stays
  times[1].tv_sec = static_cast<time_t>(seconds.time_since_epoch().count());
  times[1].tv_nsec = static_cast<long>(duration_cast<nanoseconds>(time - seconds).count());
  if (::utimensat(AT_FDCWD, PosixPath(path).c_str(), times, 0) == 0) return Status::Ok();
  return Failure(kCannotSetTime, path);
}

}  // namespace korvun
