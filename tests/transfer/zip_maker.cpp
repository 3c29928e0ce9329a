#include "tests/transfer/zip_maker.hpp"

#include <zip.h>

#include <stdexcept>

namespace korvun::testing {

void MakeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("zip_open failed");
  for (const auto& e : entries) {
    zip_source_t* src = zip_source_buffer(archive, e.data.data(), e.data.size(), 0);
    const zip_int64_t i = zip_file_add(archive, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
    if (i < 0) {
      zip_source_free(src);
      zip_discard(archive);
      throw std::runtime_error("zip_file_add failed");
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(i),
                             e.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    if (e.mtime) zip_file_set_mtime(archive, static_cast<zip_uint64_t>(i), e.mtime, 0);
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    throw std::runtime_error("zip_close failed");
  }
}

}  // namespace korvun::testing
