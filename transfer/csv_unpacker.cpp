#include "transfer/csv_unpacker.hpp"

#include <zip.h>

#include <chrono>
#include <memory>
#include <vector>

#include "transfer/zip_file_source.hpp"

namespace korvun {

namespace {

// The block an entry is written in: on the heap, not on the host's stack.
constexpr size_t kEntryBlockSize = 65536;

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

// A libzip error that frees itself.
struct ZipError {
  ZipError() { zip_error_init(&error); }
  ~ZipError() { zip_error_fini(&error); }
  ZipError(const ZipError&) = delete;
  ZipError& operator=(const ZipError&) = delete;
  std::string Text() { return zip_error_strerror(&error); }
  zip_error_t error;
};

void LogUnzipError(const Reporter& reporter, const std::string& message, const std::string& detail,
                   const std::string& fileName) {
  reporter.Log("UnZip-Error: " + message + ":" + detail + ":" + fileName);
}

// Writes one entry to a hidden file beside the target and moves it into
// place only when all bytes were read and the checksum matched.
bool ExtractEntry(Env& env, zip_t* archive, zip_uint64_t index, const zip_stat_t& stat,
                  const std::string& targetDir, const std::string& targetName,
                  std::vector<char>& block, const Reporter& reporter) {
  const std::string target = targetDir + targetName;
  const std::string partial = targetDir + "." + targetName + ".part";
  std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, 0));
  if (!entry) {
    LogUnzipError(reporter, "Eintrag nicht lesbar", zip_strerror(archive), stat.name);
    return false;
  }
  std::unique_ptr<WritableFile> out;
  if (!env.NewWritableFile(partial, &out).ok()) {
    LogUnzipError(reporter, "Datei nicht beschreibbar", partial, stat.name);
    return false;
  }
  bool ok = true;
  std::string detail;
  zip_uint64_t total = 0;
  for (;;) {
    // A wrong checksum shows as a failed read at the end.
    const zip_int64_t n = zip_fread(entry.get(), block.data(), block.size());
    if (n < 0) {
      ok = false;
      detail = zip_file_strerror(entry.get());
      break;
    }
    if (n == 0) break;
    if (!out->Append(std::string_view(block.data(), static_cast<size_t>(n))).ok()) {
      ok = false;
      detail = "Schreibfehler";
      break;
    }
    total += static_cast<zip_uint64_t>(n);
  }
  if (!out->Close().ok() && ok) {
    ok = false;
    detail = "Schreibfehler";
  }
  out.reset();
  if (ok && (stat.valid & ZIP_STAT_SIZE) && total != stat.size) {
    ok = false;
    detail = "Groesse " + std::to_string(total) + " statt " + std::to_string(stat.size);
  }
  if (!ok) {
    env.RemoveFile(partial);
    LogUnzipError(reporter, "Eintrag fehlerhaft", detail, stat.name);
    return false;
  }
  if (!env.RenameFile(partial, target).ok()) {
    env.RemoveFile(partial);
    LogUnzipError(reporter, "Datei nicht beschreibbar", target, stat.name);
    return false;
  }
  if (stat.valid & ZIP_STAT_MTIME)
    env.SetFileModificationTime(target, std::chrono::system_clock::from_time_t(stat.mtime));
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

UnpackResult UnpackCsvEntries(Env& env, const std::string& archivePath, const std::string& targetDir,
                              const Reporter& reporter) {
  UnpackResult result;
  std::unique_ptr<RandomAccessFile> file;
  if (const Status opened = env.NewRandomAccessFile(archivePath, &file); !opened.ok()) {
    LogUnzipError(reporter, "Archiv nicht lesbar", opened.detailText().value_or(""), archivePath);
    ++result.failed;
    return result;
  }
  // Through the Env: libzip opening the path itself would pass it by.
  ZipError error;
  zip_source_t* source = NewZipFileSource(std::move(file), &error.error);
  std::unique_ptr<zip_t, ArchiveCloser> archive(
      source ? zip_open_from_source(source, ZIP_RDONLY, &error.error) : nullptr);
  if (!archive) {
    if (source) zip_source_free(source);
    LogUnzipError(reporter, "Archiv nicht lesbar", error.Text(), archivePath);
    ++result.failed;
    return result;
  }
  std::vector<char> block(kEntryBlockSize);
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
    if (ExtractEntry(env, archive.get(), index, stat, targetDir, targetName, block, reporter))
      ++result.extracted;
    else
      ++result.failed;
  }
  return result;
}

}  // namespace korvun
