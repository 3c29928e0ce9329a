// Cross-build check for the Windows DLL: opens a ZIP with the static libzip,
// lists its entries and reads each one fully, checking its CRC-32.
// Usage: zip_probe FILE.zip   Exit: 0 all entries good, 1 bad entry, 2 cannot open.
#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.zip\n", argc > 0 ? argv[0] : "zip_probe");
    return 2;
  }
  int code = 0;
  // No ZIP_CHECKCONS: libzip 1.7 takes valid archives of other writers
  // (libarchive, cmake -E tar) for inconsistent with it. Damage still shows up
  // when reading: CRC or inflate errors.
  zip_t* archive = zip_open(argv[1], ZIP_RDONLY, &code);
  if (archive == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::fprintf(stderr, "error: cannot open %s: %s\n", argv[1], zip_error_strerror(&error));
    zip_error_fini(&error);
    return 2;
  }

  const zip_int64_t count = zip_get_num_entries(archive, 0);
  std::vector<unsigned char> buffer(64 * 1024);
  zip_int64_t bad = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, index, 0, &st) != 0) {
      std::printf("%lld: error: %s\n", static_cast<long long>(i), zip_strerror(archive));
      ++bad;
      continue;
    }
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (file == nullptr) {
      std::printf("%s: error: %s\n", st.name, zip_strerror(archive));
      ++bad;
      continue;
    }
    // Our own CRC as well as libzip's: the probe must show the bytes we got are right.
    uLong crc = crc32(0L, Z_NULL, 0);
    zip_uint64_t total = 0;
    zip_int64_t n = 0;
    while ((n = zip_fread(file, buffer.data(), buffer.size())) > 0) {
      crc = crc32(crc, buffer.data(), static_cast<uInt>(n));
      total += static_cast<zip_uint64_t>(n);
    }
    if (n < 0) {
      std::printf("%s: error: %s\n", st.name, zip_file_strerror(file));
      ++bad;
    } else if (total != st.size || crc != st.crc) {
      std::printf("%s: error: read %llu bytes crc %08lx, directory says %llu bytes crc %08lx\n", st.name,
                  static_cast<unsigned long long>(total), static_cast<unsigned long>(crc),
                  static_cast<unsigned long long>(st.size), static_cast<unsigned long>(st.crc));
      ++bad;
    } else {
      std::printf("%s: %llu bytes, crc %08lx ok\n", st.name, static_cast<unsigned long long>(total),
                  static_cast<unsigned long>(crc));
    }
    zip_fclose(file);
  }
  zip_discard(archive);
  std::printf("%lld entries, %lld bad\n", static_cast<long long>(count), static_cast<long long>(bad));
  return bad == 0 ? 0 : 1;
}
