#include "transfer/fetch_data_file.hpp"

#include <exception>
#include <stdexcept>

#include "transfer/csv_unpacker.hpp"
#include "transfer/data_file_sink.hpp"
#include "transfer/http_download.hpp"
#include "transfer/provider_answer.hpp"
#include "transfer/request_params.hpp"

namespace korvun {

namespace {

// How long a freshly written archive is left alone before it is opened:
// virus scanners on Windows hold new files for a moment.
int SettleDelayAfterDownloadMs(Env::System system) { return system == Env::System::kWindows ? 1000 : 0; }

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

  std::string status;
  HttpGetRequest get;
  get.url = request.url;
  get.timeoutSeconds = request.timeoutSeconds;
  get.showProgress = true;
  get.report = true;
  // The archive goes to its file as it arrives; a download that fails takes
  // the part written so far with it.
  DataFileSink body(ctx.env, request.dataDir, request.archiveName);
  const Status downloaded = HttpGetToStream(ctx, get, &status, &body);
  if (!downloaded.ok()) {
    reporter.Status(0, "Datenabruf fehlgeschlagen: " + request.archiveName + "\r\nStatus: " + status);
    return downloaded;
  }

  if (body.IsErrorAnswer()) return ReadProviderErrorAnswer(body.ErrorAnswer());

  reporter.Log("Datendatei geladen: " + request.archiveName);
  const std::string& archivePath = body.ArchivePath();
  if (const Status saved = body.CompleteArchive(); !saved.ok())
    throw std::runtime_error(saved.detailText().value_or(archivePath));
  // Gives file scanners a moment with the new archive, where the platform
  // has them.
  if (const int settle = SettleDelayAfterDownloadMs(ctx.env.Kind()); settle > 0) ctx.env.SleepMilliseconds(settle);

  reporter.Log("Archiv wird entpackt");
  try {
    ArchiveRemover remover(ctx.env, archivePath);
    const UnpackResult unpacked = UnpackCsvEntries(ctx.env, archivePath, request.dataDir, reporter);
    if (unpacked.extracted < 1 || unpacked.failed > 0) return UnzipFailed(request.archiveName);
  } catch (const std::exception& e) {
    reporter.Status(0, e.what());
    return UnzipFailed(request.archiveName);
  }
  return Status::Ok();
}

}  // namespace korvun
