#include "transfer/http_download.hpp"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/status.hpp"
#include "base/strings.hpp"
#include "platform/http_client.hpp"

namespace korvun {

namespace {

constexpr std::size_t kBlockSize = 65535;
constexpr const char* kUserAgent = "Tarvo-Korvun";
constexpr const char* kCancelledLine = "Download durch Benutzer abgebrochen";

// Statuses whose body is the download; 0 is an answer without a status line.
bool BodyStatus(int code) { return code == 200 || code == 302 || code == 0; }

std::vector<std::string> RequestHeaders(const std::string& extra) {
  // A reload: caches on the way must not answer.
  std::vector<std::string> headers = {"Cache-Control: no-cache", "Pragma: no-cache"};
  for (const std::string_view line : SplitLines(extra))
    if (!line.empty()) headers.emplace_back(line);
  return headers;
}

// The Content-Length header as a decimal number; -1 when it does not parse,
// which leaves only the test for an empty body.
long long AnnouncedLength(const std::optional<std::string>& header) {
  if (!header) return 0;
  const std::string_view text = TrimControl(*header);
  if (text.empty() || text.size() > 18) return -1;
  long long length = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    length = length * 10 + (c - '0');
  }
  return length;
}

struct BodyRead {
  std::size_t received = 0;
  bool brokenOff = false;
  bool cancelled = false;
};

// The body block by block into *sink, inside the progress window.
BodyRead ReadBody(RunContext& ctx, const HttpGetRequest& request, HttpRequest& http,
                  DownloadSink* sink) {
  BodyRead read;
  if (request.showProgress) {
    ctx.ui.ProgressShow();
    ctx.reporter.Position(5);
  }
  std::vector<char> block(kBlockSize);
  for (;;) {
    std::size_t got = 0;
    const HttpRead result = http.Read(block.data(), block.size(), &got);
    if (result == HttpRead::kWaiting) {
      // Keeps the progress window alive while blocks are awaited.
      if (request.showProgress) ctx.ui.ProcessPendingMessages();
      continue;
    }
    if (result != HttpRead::kData) {
      read.brokenOff = result == HttpRead::kFailed;
      break;
    }
    sink->Append(std::string_view(block.data(), got));
    read.received += got;
    ctx.reporter.Position(5);
    if (request.showProgress && ctx.ui.ProgressCancelled()) {
      if (request.report) ctx.reporter.Log(kCancelledLine);
      read.cancelled = true;
      break;
    }
  }
  if (request.showProgress) {
    ctx.ui.ProgressHide();
    ctx.reporter.Position(5);
  }
  return read;
}

// The error statuses with a line of their own; any other status is logged
// with its number and gives kInternetUrlAccess.
struct StatusFailure {
  int code;
  const char* line;
  ExportErrorCode result;
};
constexpr StatusFailure kStatusFailures[] = {
    {401, "HTTP-Fehler 401: Zugriff verweigert.", ExportErrorCode::kInternetAccessDenied},
    {403, "HTTP-Fehler 403: Zugriff verweigert.", ExportErrorCode::kInternetAccessDenied},
    {404, "HTTP-Fehler 404: Die Seite wurde nicht gefunden.", ExportErrorCode::kInternetPageNotFound},
    {503, "HTTP-Fehler 503: Der Server ist vor\xFC" "bergehend \xFC" "berlastet.",
     ExportErrorCode::kInternetServerBusy},
};
constexpr const char* kProxyRefusedLine = "HTTP-Fehler 407: Authentifizierung erforderlich.";

StatusFailure FailureOfStatus(int code) {
  for (const StatusFailure& failure : kStatusFailures)
    if (failure.code == code) return failure;
  return {code, nullptr, ExportErrorCode::kInternetUrlAccess};
}

// A proxy asks for credentials (407): the person is asked for them. None
// when they were given and the request goes again; else the run's result.
template <typename Log>
std::optional<Status> AskProxyCredentials(RunContext& ctx, HttpRequest& http, const Log& log,
                                          std::string* user, std::string* password) {
  if (!ctx.ui.Interactive()) {
    log(kProxyRefusedLine);
    return Status(ExportErrorCode::kProxyAuthentication);
  }
  const ProxyCredentials answer = ctx.ui.AskProxyCredentials(http.ProxyName(), user, password);
  if (answer == ProxyCredentials::kGiven) {
    http.SetProxyCredentials(*user, *password);
    return std::nullopt;
  }
  if (answer == ProxyCredentials::kConfirmed) {
    log(kProxyRefusedLine);
    return Status(ExportErrorCode::kProxyAuthentication);
  }
  // Dismissed, or no prompt at all: the internet access failed.
  return Status(ExportErrorCode::kInternetUnspecified);
}

}  // namespace

std::string LastInternetErrorText(int errorNumber, const std::string& message) {
  if (errorNumber == kHttpTimeoutErrorNumber)
    return std::to_string(errorNumber) + ":Zeit\xFC" "berschreitung (TimeOut)";
  if (message.empty()) return std::to_string(errorNumber);
  return std::to_string(errorNumber) + "-" + message;
}

Status HttpGetToStream(RunContext& ctx, const HttpGetRequest& request, std::string* statusText,
                       DownloadSink* sink) {
  statusText->clear();
  const auto log = [&](std::string_view text) {
    if (request.report) ctx.reporter.Log(text);
  };
  const auto logFailure = [&](const HttpFailure& failure) {
    log("WinINet-Systemfehler: " + LastInternetErrorText(failure.number, failure.message));
  };

  HttpGet get;
  get.url = request.url;
  get.headers = RequestHeaders(request.extraHeaders);
  get.userAgent = kUserAgent;
  get.timeoutSeconds = request.timeoutSeconds;
  HttpFailure openFailure;
  const std::unique_ptr<HttpRequest> http = ctx.env.Http().Open(get, &openFailure);
  if (!http) {
    logFailure(openFailure);
    return ExportErrorCode::kInternetSession;
  }

  std::string proxyUser, proxyPassword;
  for (;;) {
    if (!http->Send()) {
      logFailure(http->Failure());
      return ExportErrorCode::kInternetOpenUrl;
    }
    const int code = http->StatusCode();
    const std::string status = code == 0 ? "200" : std::to_string(code);

    // Known before the body is read, so that a cancelled download reports it.
    *statusText = status;
    if (BodyStatus(code)) {
      const BodyRead read = ReadBody(ctx, request, *http, sink);
      if (read.cancelled) return ExportErrorCode::kDownloadCancelled;
      const long long announced = AnnouncedLength(http->ContentLength());
      // A transfer that broke off after the body began is incomplete, even
      // when no length was announced.
      const bool incomplete = read.received == 0 || read.brokenOff ||
                              (announced > 0 && static_cast<long long>(read.received) != announced);
      if (!incomplete) return Status::Ok();
      log("Fehler bei Download: Die angeforderte Datei wurde nur unvollst\xE4ndig geladen (" +
          std::to_string(sink->Size()) + " Bytes geladen)");
      return ExportErrorCode::kInternetIncompleteFile;
    }

    // Error pages are not read; the status alone decides.
    if (code == 407) {
      const std::optional<Status> refused = AskProxyCredentials(ctx, *http, log, &proxyUser, &proxyPassword);
      if (refused) return *refused;
      continue;
    }
    const StatusFailure failure = FailureOfStatus(code);
    log(failure.line ? std::string(failure.line) : "HTTP-Fehler: " + status);
    return failure.result;
  }
}

}  // namespace korvun
