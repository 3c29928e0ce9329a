#include "transfer/fetch_data_file.hpp"

#include <exception>
#include <stdexcept>

#include "transfer/csv_unpacker.hpp"
#include "transfer/http_download.hpp"
#include "transfer/provider_answer.hpp"
#include "transfer/request_params.hpp"

namespace korvun {

namespace {

// Nobody sees a part of the archive under its name.
void SaveArchive(Env& env, const std::string& path, const std::string& body) {
  const Status saved = env.WriteFileAtomically(path, body);
  if (!saved.ok()) throw std::runtime_error(saved.detailText().value_or(path));
}

// Removes the archive however the unpacking ended.
class ArchiveRemover {
 public:
  ArchiveRemover(Env& env, std::string path) : env_(env), path_(std::move(path)) {}
  ~ArchiveRemover() {
    try {
      env_.RemoveFile(path_);
    } catch (...) {
      // Out of memory for the message: the archive stays behind.
    }
  }
  ArchiveRemover(const ArchiveRemover&) = delete;
  ArchiveRemover& operator=(const ArchiveRemover&) = delete;

 private:
  Env& env_;
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
  SaveArchive(ctx.env, archivePath, body);
  // Gives file scanners a moment with the new archive, where the platform
  // has them.
  if (const int settle = ctx.env.SettleDelayAfterDownloadMs(); settle > 0)
    ctx.env.SleepMilliseconds(settle);

  reporter.Log("Archiv wird entpackt");
  try {
    ArchiveRemover remover(ctx.env, archivePath);
    // Unpacked from the bytes at hand: libzip reading the saved file itself
    // would pass by the Env.
    const UnpackResult unpacked =
        UnpackCsvEntries(ctx.env, body, archivePath, request.dataDir, reporter);
    if (unpacked.extracted < 1 || unpacked.failed > 0) return UnzipFailed(request.archiveName);
  } catch (const std::exception& e) {
    reporter.Status(0, e.what());
    return UnzipFailed(request.archiveName);
  }
  return Status::Ok();
}

}  // namespace korvun
