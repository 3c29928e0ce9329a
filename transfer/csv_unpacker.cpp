#include "transfer/csv_unpacker.hpp"

#include <zip.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace korvun {

namespace fs = std::filesystem;

namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

bool EndsWithCsv(const std::string& name) {
  if (name.size() < 4) return false;
  const std::string tail = name.substr(name.size() - 4);
  return tail[0] == '.' && (tail[1] | 0x20) == 'c' && (tail[2] | 0x20) == 's' &&
         (tail[3] | 0x20) == 'v';
}

std::string ZipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

void LogUnzipError(const Reporter& reporter, const std::string& message, const std::string& detail,
                   const std::string& fileName) {
  reporter.Log("UnZip-Error: " + message + ":" + detail + ":" + fileName);
}

// Writes one entry to a temporary file beside the target and moves it into
// place only when all bytes were read and the checksum matched.
bool ExtractEntry(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat,
                  const std::string& targetDir, const std::string& targetName,
                  const Reporter& reporter) {
  const fs::path target = fs::path(targetDir) / targetName;
  const fs::path partial = fs::path(targetDir) / ("." + targetName + ".part");
  std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, 0));
  if (!entry) {
    LogUnzipError(reporter, "Eintrag nicht lesbar", zip_strerror(archive), stat.name);
    return false;
  }
  bool ok = true;
  std::string detail;
  zip_uint64_t total = 0;
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) {
      LogUnzipError(reporter, "Datei nicht beschreibbar", partial.string(), stat.name);
      return false;
    }
    char buffer[65536];
    for (;;) {
      const zip_int64_t n = zip_fread(entry.get(), buffer, sizeof buffer);
      if (n < 0) {
        ok = false;
        detail = zip_file_strerror(entry.get());
        break;
      }
      if (n == 0) break;
      out.write(buffer, n);
      total += static_cast<zip_uint64_t>(n);
    }
    out.flush();
    if (ok && !out) {
      ok = false;
      detail = "Schreibfehler";
    }
  }
  if (ok && (stat.valid & ZIP_STAT_SIZE) && total != stat.size) {
    ok = false;
    detail = "Groesse " + std::to_string(total) + " statt " + std::to_string(stat.size);
  }
  std::error_code ec;
  if (!ok) {
    fs::remove(partial, ec);
    LogUnzipError(reporter, "Eintrag fehlerhaft", detail, stat.name);
    return false;
  }
  fs::rename(partial, target, ec);
  if (ec) {
    fs::remove(partial, ec);
    LogUnzipError(reporter, "Datei nicht beschreibbar", target.string(), stat.name);
    return false;
  }
  if (stat.valid & ZIP_STAT_MTIME) {
    const auto stored = std::chrono::system_clock::from_time_t(stat.mtime);
    fs::last_write_time(target, std::chrono::file_clock::from_sys(stored), ec);
  }
  return true;
}

}  // namespace

std::string CsvTargetName(const std::string& entryName) {
  if (entryName.empty() || entryName.back() == '/' || entryName.back() == '\\') return "";
  // Folders of the archive are not used; only the last part of the name.
  const std::size_t slash = entryName.find_last_of("/\\");
  std::string name = slash == std::string::npos ? entryName : entryName.substr(slash + 1);
  if (!EndsWithCsv(name)) return "";
  for (const char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    // Control bytes and a drive or stream colon have no place in a file name.
    if (byte < 0x20 || byte == 0x7F || c == ':') return "";
  }
  if (name == "." || name == "..") return "";
  return name;
}

UnpackResult UnpackCsvEntries(const std::string& archivePath, const std::string& targetDir,
                              const Reporter& reporter) {
  UnpackResult result;
  int error = 0;
  std::unique_ptr<zip_t, ArchiveCloser> archive(
      zip_open(archivePath.c_str(), ZIP_RDONLY, &error));
  if (!archive) {
    LogUnzipError(reporter, "Archiv nicht lesbar", ZipErrorText(error), archivePath);
    ++result.failed;
    return result;
  }
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const zip_uint64_t index = static_cast<zip_uint64_t>(i);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) {
      LogUnzipError(reporter, "Eintrag nicht lesbar", zip_strerror(archive.get()),
                    std::to_string(i));
      ++result.failed;
      continue;
    }
    const std::string targetName = CsvTargetName(stat.name);
    if (targetName.empty()) continue;
    if (ExtractEntry(archive.get(), index, stat, targetDir, targetName, reporter))
      ++result.extracted;
    else
      ++result.failed;
  }
  return result;
}

}  // namespace korvun
