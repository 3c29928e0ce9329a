#include "platform/windows/file_windows.hpp"

#include <windows.h>

#include <algorithm>

#include "platform/buffered_writable_file.hpp"
#include "base/file_failures.hpp"

namespace korvun {
namespace {

// Writes all bytes; WriteFile takes at most 4 GB - 1 per call.
bool WriteAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

HANDLE CreateForWriting(const std::string& path) {
  return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

class WindowsSequentialFile final : public SequentialFile {
 public:
  WindowsSequentialFile(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
  ~WindowsSequentialFile() override { ::CloseHandle(file_); }

  Status Read(size_t n, std::string_view* result, char* scratch) override {
    size_t got = 0;
    while (got < n) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(n - got, 1u << 30));
      DWORD read = 0;
      if (!::ReadFile(file_, scratch + got, want, &read, nullptr)) {
        *result = std::string_view();
        return FileFailure(kCannotRead, path_);
      }
      if (read == 0) break;
      got += read;
    }
    *result = std::string_view(scratch, got);
    return Status::Ok();
  }

 private:
  HANDLE file_;
  std::string path_;
};

class WindowsRandomAccessFile final : public RandomAccessFile {
 public:
  WindowsRandomAccessFile(HANDLE file, uint64_t size, std::string path)
      : file_(file), size_(size), path_(std::move(path)) {}
  ~WindowsRandomAccessFile() override { ::CloseHandle(file_); }

  // The offset goes with each read (OVERLAPPED on a synchronous handle), so
  // no read depends on where the one before it ended.
  Status Read(uint64_t offset, size_t n, std::string_view* result, char* scratch) const override {
    size_t got = 0;
    while (got < n) {
      const uint64_t at = offset + got;
      OVERLAPPED where{};
      where.Offset = static_cast<DWORD>(at & 0xFFFFFFFF);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      const DWORD want = static_cast<DWORD>(std::min<size_t>(n - got, 1u << 30));
      DWORD read = 0;
      if (!::ReadFile(file_, scratch + got, want, &read, &where)) {
        // With an offset given, the end of the file is a failed read.
        if (::GetLastError() == ERROR_HANDLE_EOF) break;
        *result = std::string_view();
        return FileFailure(kCannotRead, path_);
      }
      if (read == 0) break;
      got += read;
    }
    *result = std::string_view(scratch, got);
    return Status::Ok();
  }
  uint64_t Size() const override { return size_; }

 private:
  HANDLE file_;
  uint64_t size_;
  std::string path_;
};

class WindowsWritableFile final : public BufferedWritableFile {
 public:
  WindowsWritableFile(HANDLE file, std::string path)
      : BufferedWritableFile(std::move(path)), file_(file) {}
  ~WindowsWritableFile() override { CloseIfOpen(); }

 private:
  bool WriteThrough(const char* data, size_t size) override { return WriteAll(file_, data, size); }
  bool CloseHandle() override { return ::CloseHandle(file_) != 0; }

  HANDLE file_;
};

}  // namespace

Status NewWindowsSequentialFile(const std::string& path, std::unique_ptr<SequentialFile>* result) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileFailure(kCannotOpen, path);
  *result = std::make_unique<WindowsSequentialFile>(file, path);
  return Status::Ok();
}

Status NewWindowsRandomAccessFile(const std::string& path,
                                  std::unique_ptr<RandomAccessFile>* result) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileFailure(kCannotOpen, path);
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file, &size)) {
    ::CloseHandle(file);
    return FileFailure(kCannotOpen, path);
  }
  *result = std::make_unique<WindowsRandomAccessFile>(file, static_cast<uint64_t>(size.QuadPart), path);
  return Status::Ok();
}

Status NewWindowsWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) {
  const HANDLE file = CreateForWriting(path);
  if (file == INVALID_HANDLE_VALUE) return FileFailure(kCannotCreate, path);
  *result = std::make_unique<WindowsWritableFile>(file, path);
  return Status::Ok();
}

Status WriteWindowsFileAtomically(const std::string& path, std::string_view data) {
  // Beside the target, so that the replacing move stays on one volume.
  const std::string temp = path + ".tmp";
  const HANDLE file = CreateForWriting(temp);
  if (file == INVALID_HANDLE_VALUE) return FileFailure(kCannotCreate, path);
  const bool written = WriteAll(file, data.data(), data.size());
  const bool closed = ::CloseHandle(file) != 0;
  if (!written || !closed ||
      !::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileA(temp.c_str());
    return FileFailure(kCannotWrite, path);
  }
  return Status::Ok();
}

Status RenameWindowsFile(const std::string& from, const std::string& to) {
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return Status::Ok();
  return FileFailure(kCannotRename, from + " -> " + to);
}

Status RemoveWindowsFile(const std::string& path) {
  if (::DeleteFileA(path.c_str())) return Status::Ok();
  return FileFailure(kCannotRemove, path);
}

Status GetWindowsChildren(const std::string& dir, std::vector<FolderEntry>* entries) {
  entries->clear();
  std::string pattern = dir;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty folder still has "." and ".."; nothing at all means no folder.
    return FileFailure(kCannotList, dir);
  }
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = name;
    const DWORD attributes = found.dwFileAttributes;
    entry.kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FolderEntry::Kind::kLink
                 : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? FolderEntry::Kind::kFolder
                 : (attributes & FILE_ATTRIBUTE_DEVICE)      ? FolderEntry::Kind::kOther
                                                             : FolderEntry::Kind::kFile;
    entries->push_back(std::move(entry));
  } while (::FindNextFileA(search, &found));
  const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(search);
  return complete ? Status::Ok() : FileFailure(kCannotList, dir);
}

Status CreateWindowsDir(const std::string& dir) {
  if (::CreateDirectoryA(dir.c_str(), nullptr)) return Status::Ok();
  const DWORD attributes = ::GetFileAttributesA(dir.c_str());
  if (::GetLastError() != ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Status::Ok();
  return FileFailure(kCannotCreateDir, dir);
}

bool WindowsFileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Status SetWindowsFileTime(const std::string& path, std::chrono::system_clock::time_point time) {
  // FILETIME: 100-nanosecond steps since 1601-01-01 UTC.
  constexpr long long kEpochDifference = 116444736000000000LL;
  const long long ticks =
      std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count() / 100 +
      kEpochDifference;
  FILETIME modified;
  modified.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
  modified.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32);
  const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileFailure(kCannotSetTime, path);
  const bool set = ::SetFileTime(file, nullptr, nullptr, &modified) != 0;
  ::CloseHandle(file);
  return set ? Status::Ok() : FileFailure(kCannotSetTime, path);
}

}  // namespace korvun
