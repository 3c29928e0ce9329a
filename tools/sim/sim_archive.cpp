#include "tools/sim/sim_archive.hpp"

#include <zip.h>

namespace korvun::sim {

std::optional<std::string> BuildZip(const std::vector<ArchiveEntry>& entries, std::string* error) {
  zip_error_t zerr;
  zip_error_init(&zerr);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &zerr);
  if (!buffer) {
    *error = zip_error_strerror(&zerr);
    zip_error_fini(&zerr);
    return std::nullopt;
  }
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &zerr);
  if (!archive) {
    *error = zip_error_strerror(&zerr);
    zip_error_fini(&zerr);
    zip_source_free(buffer);
    return std::nullopt;
  }
  zip_error_fini(&zerr);
  zip_source_keep(buffer);  // we read the bytes after closing
  for (const ArchiveEntry& entry : entries) {
    zip_source_t* data = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
    const zip_int64_t index =
        data ? zip_file_add(archive, entry.name.c_str(), data, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE)
             : -1;
    if (index < 0) {
      if (data) zip_source_free(data);
      *error = zip_strerror(archive);
      zip_discard(archive);
      zip_source_free(buffer);
      return std::nullopt;
    }
    const zip_uint64_t i = static_cast<zip_uint64_t>(index);
    zip_set_file_compression(archive, i, entry.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    if (entry.mtime != 0) zip_file_set_mtime(archive, i, entry.mtime, 0);
  }
  if (zip_close(archive) != 0) {
    *error = zip_strerror(archive);
    zip_discard(archive);
    zip_source_free(buffer);
    return std::nullopt;
  }
  std::string bytes;
  if (zip_source_open(buffer) == 0) {
    zip_source_seek(buffer, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(buffer);
    zip_source_seek(buffer, 0, SEEK_SET);
    if (size > 0) {
      bytes.resize(static_cast<std::size_t>(size));
      const zip_int64_t got = zip_source_read(buffer, bytes.data(), bytes.size());
      if (got != size) bytes.clear();
    }
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  if (bytes.empty()) {
    *error = "archive came out empty";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace korvun::sim
