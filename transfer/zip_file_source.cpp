#include "transfer/zip_file_source.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace korvun {
namespace {

class ZipFileSource {
 public:
  explicit ZipFileSource(std::unique_ptr<RandomAccessFile> file) : file_(std::move(file)) {
    zip_error_init(&error_);
  }
  ~ZipFileSource() { zip_error_fini(&error_); }
  ZipFileSource(const ZipFileSource&) = delete;
  ZipFileSource& operator=(const ZipFileSource&) = delete;

  static zip_int64_t Call(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    ZipFileSource* self = static_cast<ZipFileSource*>(state);
    // Nothing may be thrown through libzip's frames.
    try {
      return self->Handle(data, len, cmd);
    } catch (...) {
      zip_error_set(&self->error_, ZIP_ER_MEMORY, 0);
      return -1;
    }
  }

 private:
  zip_int64_t Handle(void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    switch (cmd) {
      case ZIP_SOURCE_OPEN:
        offset_ = 0;
        return 0;
      case ZIP_SOURCE_READ:
        return Read(static_cast<char*>(data), len);
      case ZIP_SOURCE_CLOSE:
        return 0;
      case ZIP_SOURCE_STAT: {
        zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &error_);
        if (!stat) return -1;
        zip_stat_init(stat);
        stat->size = file_->Size();
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, len);
      case ZIP_SOURCE_FREE:
        delete this;
        return 0;
      case ZIP_SOURCE_SEEK: {
        const zip_int64_t at =
            zip_source_seek_compute_offset(offset_, file_->Size(), data, len, &error_);
        if (at < 0) return -1;
        offset_ = static_cast<zip_uint64_t>(at);
        return 0;
      }
      case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(offset_);
      case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_SEEKABLE;
      default:
        zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

  zip_int64_t Read(char* into, zip_uint64_t len) {
    // libzip asks for what its buffer holds; one read of the Env takes a size_t.
    const size_t n = static_cast<size_t>(std::min<zip_uint64_t>(len, zip_uint64_t{1} << 30));
    std::string_view got;
    if (!file_->Read(offset_, n, &got, into).ok()) {
      zip_error_set(&error_, ZIP_ER_READ, EIO);
      return -1;
    }
    if (!got.empty() && got.data() != into) std::memmove(into, got.data(), got.size());
    offset_ += got.size();
    return static_cast<zip_int64_t>(got.size());
  }

  std::unique_ptr<RandomAccessFile> file_;
  zip_uint64_t offset_ = 0;
  zip_error_t error_;
};

}  // namespace

zip_source_t* NewZipFileSource(std::unique_ptr<RandomAccessFile> file, zip_error_t* error) {
  auto* state = new ZipFileSource(std::move(file));
  zip_source_t* source = zip_source_function_create(&ZipFileSource::Call, state, error);
  // Once made, the source frees the state itself (ZIP_SOURCE_FREE).
  if (!source) delete state;
  return source;
}

}  // namespace korvun
