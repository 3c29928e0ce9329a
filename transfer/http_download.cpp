#include "transfer/http_download.hpp"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string_view>

#include "base/status.hpp"
#include "base/text_encoding.hpp"
#include "transfer/tls_trust.hpp"

namespace korvun {

namespace {

constexpr long kBlockSize = 65535;
constexpr const char* kUserAgent = "Tarvo-Korvun";
constexpr const char* kCancelledLine = "Download durch Benutzer abgebrochen";

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// State shared with the libcurl callbacks of one attempt.
struct Transfer {
  RunContext* ctx = nullptr;
  const HttpGetRequest* request = nullptr;
  CURL* curl = nullptr;
  std::string* stream = nullptr;
  std::size_t received = 0;
  bool bodyBegun = false;
  bool statusRejected = false;
  bool cancelled = false;

  void Log(std::string_view text) const {
    if (request->report) ctx->reporter.Log(text);
  }

  long ResponseCode() const {
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    return code;
  }

  // The status allowed the body: open the progress window.
  void BeginBody() {
    if (bodyBegun) return;
    bodyBegun = true;
    if (request->showProgress) {
      ctx->ui.ProgressShow();
      ctx->reporter.Position(5);
    }
  }

  void EndBody() {
    if (!bodyBegun) return;
    if (request->showProgress) {
      ctx->ui.ProgressHide();
      ctx->reporter.Position(5);
    }
  }
};

bool BodyStatus(long code) { return code == 200 || code == 302 || code == 0; }

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::string_view line(data, size * count);
  // The blank line ends a header block; a final 200 means the body follows.
  if ((line == "\r\n" || line == "\n") && transfer->ResponseCode() == 200) transfer->BeginBody();
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t length = size * count;
  if (!transfer->bodyBegun) {
    if (!BodyStatus(transfer->ResponseCode())) {
      // Error pages are not read; the status alone decides.
      transfer->statusRejected = true;
      return 0;
    }
    transfer->BeginBody();
  }
  transfer->stream->append(data, length);
  transfer->received += length;
  transfer->ctx->reporter.Position(5);
  if (transfer->request->showProgress && transfer->ctx->ui.ProgressCancelled()) {
    transfer->cancelled = true;
    transfer->Log(kCancelledLine);
    return 0;
  }
  return length;
}

int OnTransferInfo(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  // Keeps the progress window alive while blocks are awaited.
  if (transfer->bodyBegun && transfer->request->showProgress)
    transfer->ctx->ui.ProcessPendingMessages();
  return 0;
}

void ConfigureHandle(CURL* curl, const HttpGetRequest& request, curl_slist* headers,
                     char* errorBuffer) {
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // we live inside the host's process
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBlockSize);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  // The encrypted parameters are in the URL: never follow a redirect from
  // HTTPS to plain HTTP.
  const bool secure = request.url.rfind("https:", 0) == 0 || request.url.rfind("HTTPS:", 0) == 0;
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  const TlsTrust trust = TlsTrustFromEnvironment();
  if (!trust.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, trust.caFile.c_str());
  if (!trust.caDir.empty()) curl_easy_setopt(curl, CURLOPT_CAPATH, trust.caDir.c_str());
  if (request.timeoutSeconds > 0) {
    // Nothing sent or received for T seconds ends the transfer.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(request.timeoutSeconds));
  }
}

curl_slist* BuildHeaders(const std::string& extra) {
  // A reload: caches on the way must not answer.
  curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
  list = curl_slist_append(list, "Pragma: no-cache");
  std::size_t start = 0;
  while (list && start < extra.size()) {
    std::size_t end = extra.find_first_of("\r\n", start);
    if (end == std::string::npos) end = extra.size();
    if (end > start) list = curl_slist_append(list, extra.substr(start, end - start).c_str());
    start = end + 1;
  }
  return list;
}

std::string ProxyName(CURL* curl) {
  char* ip = nullptr;
  long port = 0;
  curl_easy_getinfo(curl, CURLINFO_PRIMARY_IP, &ip);
  curl_easy_getinfo(curl, CURLINFO_PRIMARY_PORT, &port);
  std::string name = ip ? ip : "";
  if (port > 0) name += ":" + std::to_string(port);
  return name;
}

}  // namespace

std::string LastInternetErrorText(int errorNumber, const std::string& message) {
  if (errorNumber == CURLE_OPERATION_TIMEDOUT)
    return std::to_string(errorNumber) + ":Zeit\xFC" "berschreitung (TimeOut)";
  if (message.empty()) return std::to_string(errorNumber);
  return std::to_string(errorNumber) + "-" + message;
}

Status HttpGetToStream(RunContext& ctx, const HttpGetRequest& request, std::string* statusText,
                    std::string* stream) {
  statusText->clear();
  InitCurlOnce();
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  std::unique_ptr<curl_slist, SlistDeleter> headers(BuildHeaders(request.extraHeaders));
  if (!curl || !headers) {
    if (request.report)
      ctx.reporter.Log("WinINet-Systemfehler: " +
                       LastInternetErrorText(CURLE_FAILED_INIT, curl_easy_strerror(CURLE_FAILED_INIT)));
    return ExportErrorCode::kInternetSession;
  }
  char errorBuffer[CURL_ERROR_SIZE];
  ConfigureHandle(curl.get(), request, headers.get(), errorBuffer);

  std::string proxyUser, proxyPassword;
  for (;;) {
    Transfer transfer;
    transfer.ctx = &ctx;
    transfer.request = &request;
    transfer.curl = curl.get();
    transfer.stream = stream;
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &OnTransferInfo);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    errorBuffer[0] = '\0';

    const CURLcode rc = curl_easy_perform(curl.get());
    transfer.EndBody();
    if (transfer.cancelled) return ExportErrorCode::kDownloadCancelled;

    long code = transfer.ResponseCode();
    long connectCode = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_HTTP_CONNECTCODE, &connectCode);
    if (rc != CURLE_OK && !transfer.bodyBegun && !transfer.statusRejected) {
      if (connectCode >= 300) {
        // The proxy refused the tunnel; its answer is the status.
        code = connectCode;
      } else {
        if (request.report) {
          const std::string message =
              Utf8ToCp1252(errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc));
          ctx.reporter.Log("WinINet-Systemfehler: " + LastInternetErrorText(rc, message));
        }
        return ExportErrorCode::kInternetOpenUrl;
      }
    }
    *statusText = code == 0 ? "200" : std::to_string(code);

    if (BodyStatus(code)) {
      const curl_off_t announced = [&] {
        curl_off_t length = -1;
        curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        return length;
      }();
      // A transfer that broke off after the body began is incomplete, even
      // when no length was announced.
      const bool incomplete = transfer.received == 0 ||
                              (announced > 0 && static_cast<curl_off_t>(transfer.received) != announced) ||
                              rc != CURLE_OK;
      if (!incomplete) return Status::Ok();
      if (request.report)
        ctx.reporter.Log(
            "Fehler bei Download: Die angeforderte Datei wurde nur unvollst\xE4ndig geladen (" +
            std::to_string(stream->size()) + " Bytes geladen)");
      return ExportErrorCode::kInternetIncompleteFile;
    }

    switch (code) {
      case 407: {
        if (!ctx.ui.Interactive()) {
          if (request.report) ctx.reporter.Log("HTTP-Fehler 407: Authentifizierung erforderlich.");
          return ExportErrorCode::kProxyAuthentication;
        }
        const ProxyCredentials answer =
            ctx.ui.AskProxyCredentials(ProxyName(curl.get()), &proxyUser, &proxyPassword);
        if (answer == ProxyCredentials::kGiven) {
          curl_easy_setopt(curl.get(), CURLOPT_PROXYUSERNAME, proxyUser.c_str());
          curl_easy_setopt(curl.get(), CURLOPT_PROXYPASSWORD, proxyPassword.c_str());
          curl_easy_setopt(curl.get(), CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
          continue;
        }
        if (answer == ProxyCredentials::kDismissed) {
          if (request.report) ctx.reporter.Log("HTTP-Fehler 407: Authentifizierung erforderlich.");
          return ExportErrorCode::kProxyAuthentication;
        }
        return ExportErrorCode::kInternetUnspecified;
      }
      case 401:
        if (request.report) ctx.reporter.Log("HTTP-Fehler 401: Zugriff verweigert.");
        return ExportErrorCode::kInternetAccessDenied;
      case 403:
        if (request.report) ctx.reporter.Log("HTTP-Fehler 403: Zugriff verweigert.");
        return ExportErrorCode::kInternetAccessDenied;
      case 404:
        if (request.report) ctx.reporter.Log("HTTP-Fehler 404: Die Seite wurde nicht gefunden.");
        return ExportErrorCode::kInternetPageNotFound;
      case 503:
        if (request.report)
          ctx.reporter.Log("HTTP-Fehler 503: Der Server ist vor\xFC" "bergehend \xFC" "berlastet.");
        return ExportErrorCode::kInternetServerBusy;
      default:
        if (request.report) ctx.reporter.Log("HTTP-Fehler: " + *statusText);
        return ExportErrorCode::kInternetUrlAccess;
    }
  }
}

}  // namespace korvun
