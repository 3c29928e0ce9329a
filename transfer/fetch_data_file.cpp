#include "transfer/fetch_data_file.hpp"

#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "transfer/csv_unpacker.hpp"
#include "transfer/http_download.hpp"
#include "transfer/provider_answer.hpp"
#include "transfer/request_params.hpp"

namespace korvun {

namespace {

void SaveArchive(const std::string& path, const std::string& body) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("Datei kann nicht angelegt werden: " + path);
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.close();
  if (!out) throw std::runtime_error("Datei kann nicht geschrieben werden: " + path);
}

// Removes the archive however the unpacking ended.
class ArchiveRemover {
 public:
  explicit ArchiveRemover(std::string path) : path_(std::move(path)) {}
  ~ArchiveRemover() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  ArchiveRemover(const ArchiveRemover&) = delete;
  ArchiveRemover& operator=(const ArchiveRemover&) = delete;

 private:
  std::string path_;
};

Status UnzipFailed(const std::string& archiveName) {
  return Status(ExportErrorCode::kUnzipFailed).WithDetailText(archiveName);
}

}  // namespace

Status FetchDataFile(RunContext& ctx, const FetchRequest& request) {
  const Reporter& reporter = ctx.reporter;
  if (ctx.debugMode > 0)
    reporter.Log("Download von URL: " + request.url + "\r\nParams uncodiert: " +
                 MaskPinInParams(request.plainParams));

  std::string body;
  std::string status;
  HttpGetRequest get;
  get.url = request.url;
  get.timeoutSeconds = request.timeoutSeconds;
  get.showProgress = true;
  get.report = true;
  const Status downloaded = HttpGetToStream(ctx, get, &status, &body);
  if (!downloaded.ok()) {
    reporter.Status(0, "Datenabruf fehlgeschlagen: " + request.archiveName + "\r\nStatus: " + status);
    return downloaded;
  }

  if (IsProviderErrorAnswer(body)) return ReadProviderErrorAnswer(body);

  reporter.Log("Datendatei geladen: " + request.archiveName);
  const std::string archivePath = request.dataDir + request.archiveName;
  SaveArchive(archivePath, body);
  body.clear();
  body.shrink_to_fit();
#ifdef _WIN32
  // Gives file scanners a moment with the new archive before we open it.
  ctx.env.SleepMilliseconds(1000);
#endif

  reporter.Log("Archiv wird entpackt");
  try {
    ArchiveRemover remover(archivePath);
    const UnpackResult unpacked = UnpackCsvEntries(archivePath, request.dataDir, reporter);
    if (unpacked.extracted < 1 || unpacked.failed > 0) return UnzipFailed(request.archiveName);
  } catch (const std::exception& e) {
    reporter.Status(0, e.what());
    return UnzipFailed(request.archiveName);
  }
  return Status::Ok();
}

}  // namespace korvun
