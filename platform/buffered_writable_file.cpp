#include "platform/buffered_writable_file.hpp"

#include <algorithm>
#include <cstring>

#include "base/file_failures.hpp"

namespace korvun {

Status BufferedWritableFile::Append(std::string_view data) {
  if (!open_ || failed_) return FileFailure(kCannotWrite, path_);
  const size_t fits = std::min(data.size(), sizeof buffer_ - used_);
  std::memcpy(buffer_ + used_, data.data(), fits);
  used_ += fits;
  data.remove_prefix(fits);
  if (data.empty()) return Status::Ok();
  Status flushed = Flush();
  if (!flushed.ok()) return flushed;
  if (data.size() < sizeof buffer_) {
    std::memcpy(buffer_, data.data(), data.size());
    used_ = data.size();
    return Status::Ok();
  }
  return Written(WriteThrough(data.data(), data.size()));
}

Status BufferedWritableFile::Flush() {
  if (!open_) return FileFailure(kCannotWrite, path_);
  const size_t pending = used_;
  used_ = 0;
  return Written(WriteThrough(buffer_, pending));
}

Status BufferedWritableFile::Close() {
  if (!open_) return FileFailure(kCannotWrite, path_);
  Flush();
  open_ = false;
  return Written(CloseHandle());
}

Status BufferedWritableFile::Written(bool ok) {
  failed_ = failed_ || !ok;
  return failed_ ? FileFailure(kCannotWrite, path_) : Status::Ok();
}

}  // namespace korvun
