#include "platform/posix/http_client_curl.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string_view>

#include "base/strings.hpp"
#include "base/text_encoding.hpp"
#include "platform/posix/tls_trust.hpp"

namespace korvun {
namespace {

static_assert(kHttpTimeoutErrorNumber == CURLE_OPERATION_TIMEDOUT);

constexpr long kBufferSize = 65535;
// How long Read waits for the sockets before the caller gets its turn.
constexpr std::chrono::milliseconds kWaitSlice(100);

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// One easy handle driven through its own multi handle, so that the body can
// be pulled block by block.
class CurlRequest final : public HttpRequest {
 public:
  ~CurlRequest() override {
    if (attached_) curl_multi_remove_handle(multi_, easy_);
    if (multi_) curl_multi_cleanup(multi_);
    if (easy_) curl_easy_cleanup(easy_);
    curl_slist_free_all(headers_);
  }

  bool Init(const HttpGet& get) {
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (!easy_ || !multi_) return false;
    // The length check is the caller's, on the header as it came: libcurl
    // would refuse an answer whose length does not parse. Without the length
    // the body ends when the server closes the connection, so ask it to.
    std::vector<std::string> lines = get.headers;
    lines.push_back("Connection: close");
    for (const auto& line : lines) {
      // On failure the list so far stays ours.
      curl_slist* longer = curl_slist_append(headers_, line.c_str());
      if (!longer) return false;
      headers_ = longer;
    }
    Configure(get);
    return true;
  }

  bool Send() override {
    if (attached_) {
      curl_multi_remove_handle(multi_, easy_);
      attached_ = false;
    }
    headerDone_ = done_ = false;
    result_ = CURLE_OK;
    status_ = 0;
    contentLength_.reset();
    pending_.clear();
    taken_ = 0;
    failure_ = {};
    errorBuffer_[0] = '\0';
    const CURLMcode added = curl_multi_add_handle(multi_, easy_);
    if (added != CURLM_OK) {
      failure_ = {static_cast<int>(added), curl_multi_strerror(added)};
      return false;
    }
    attached_ = true;
    // Until the last answer's header block is in, or the transfer is over.
    for (;;) {
      Perform();
      if (headerDone_ || done_) break;
      curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
    }
    if (!headerDone_ && result_ != CURLE_OK) {
      long connectCode = 0;
      curl_easy_getinfo(easy_, CURLINFO_HTTP_CONNECTCODE, &connectCode);
      // The proxy refused the tunnel; its answer is the status.
      if (connectCode < 300) return false;
      status_ = static_cast<int>(connectCode);
      return true;
    }
    long code = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
    status_ = static_cast<int>(code);
    return true;
  }

  void SetProxyCredentials(const std::string& user, const std::string& password) override {
    curl_easy_setopt(easy_, CURLOPT_PROXYUSERNAME, user.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROXYPASSWORD, password.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
  }

  int StatusCode() const override { return status_; }
  std::optional<std::string> ContentLength() const override { return contentLength_; }

  std::string ProxyName() const override {
    char* ip = nullptr;
    long port = 0;
    curl_easy_getinfo(easy_, CURLINFO_PRIMARY_IP, &ip);
    curl_easy_getinfo(easy_, CURLINFO_PRIMARY_PORT, &port);
    std::string name = ip ? ip : "";
    if (port > 0) name += ":" + std::to_string(port);
    return name;
  }

  HttpRead Read(char* buffer, std::size_t size, std::size_t* got) override {
    *got = 0;
    const auto deadline = std::chrono::steady_clock::now() + kWaitSlice;
    for (bool waited = false;; waited = true) {
      if (taken_ < pending_.size()) {
        *got = std::min(size, pending_.size() - taken_);
        std::memcpy(buffer, pending_.data() + taken_, *got);
        taken_ += *got;
        if (taken_ == pending_.size()) {
          pending_.clear();
          taken_ = 0;
        }
        return HttpRead::kData;
      }
      if (done_) return result_ == CURLE_OK ? HttpRead::kEnd : HttpRead::kFailed;
      if (waited) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return HttpRead::kWaiting;
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(left.count()), nullptr);
      }
      Perform();
    }
  }

  const HttpFailure& Failure() const override { return failure_; }

 private:
  void Configure(const HttpGet& get) {
    curl_easy_setopt(easy_, CURLOPT_URL, get.url.c_str());
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, get.userAgent.c_str());
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);  // we live inside the host's process
    curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kBufferSize);
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    // An answer without a status line is a body like any other.
    curl_easy_setopt(easy_, CURLOPT_HTTP09_ALLOWED, 1L);
    curl_easy_setopt(easy_, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    // The encrypted parameters are in the URL: never follow a redirect from
    // HTTPS to plain HTTP.
    const bool secure = StartsWithNoCase(get.url, "https:");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
    const TlsTrust trust = TlsTrustFromEnvironment();
    if (!trust.caFile.empty()) curl_easy_setopt(easy_, CURLOPT_CAINFO, trust.caFile.c_str());
    if (!trust.caDir.empty()) curl_easy_setopt(easy_, CURLOPT_CAPATH, trust.caDir.c_str());
    if (get.timeoutSeconds > 0) {
      // Nothing sent or received for T seconds ends the transfer.
      curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
      curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(get.timeoutSeconds));
    }
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  }

  // Lets libcurl move what the sockets have; notes the end of the transfer.
  void Perform() {
    int running = 0;
    const CURLMcode rc = curl_multi_perform(multi_, &running);
    if (rc != CURLM_OK) {
      // The multi handle itself failed (out of memory): nothing more comes.
      done_ = true;
      result_ = CURLE_FAILED_INIT;
      failure_ = {static_cast<int>(rc), curl_multi_strerror(rc)};
      return;
    }
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi_, &queued)) {
      if (msg->msg != CURLMSG_DONE || msg->easy_handle != easy_) continue;
      done_ = true;
      result_ = msg->data.result;
      if (result_ != CURLE_OK)
        failure_ = {static_cast<int>(result_),
                    Utf8ToCp1252(errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(result_))};
    }
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<CurlRequest*>(user);
    const std::string_view line(data, size * count);
    if (StartsWithNoCase(line, "http/")) {
      // Another answer follows (redirect, authentication round).
      self->contentLength_.reset();
    } else if (StartsWithNoCase(line, "content-length:")) {
      self->contentLength_ = std::string(line.substr(15));  // the caller trims
    } else if (line == "\r\n" || line == "\n") {
      // A 2xx header block is the last one; others end when their body or
      // the transfer does, as libcurl may still follow or retry them.
      long code = 0;
      curl_easy_getinfo(self->easy_, CURLINFO_RESPONSE_CODE, &code);
      if (code >= 200 && code < 300) self->headerDone_ = true;
    }
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<CurlRequest*>(user);
    self->headerDone_ = true;
    // Read takes the buffer only when it is empty, so it stays near what one
    // round of the sockets brings.
    self->pending_.append(data, size * count);
    return size * count;
  }

  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  curl_slist* headers_ = nullptr;
  bool attached_ = false;
  char errorBuffer_[CURL_ERROR_SIZE] = {};

  bool headerDone_ = false;
  bool done_ = false;
  CURLcode result_ = CURLE_OK;
  int status_ = 0;
  std::optional<std::string> contentLength_;
  std::string pending_;     // body bytes received, not yet read
  std::size_t taken_ = 0;   // of pending_, already handed over
  HttpFailure failure_;
};

class CurlClient final : public HttpClient {
 public:
  std::unique_ptr<HttpRequest> Open(const HttpGet& get, HttpFailure* failure) override {
    InitCurlOnce();
    auto request = std::make_unique<CurlRequest>();
    if (request->Init(get)) return request;
    *failure = {CURLE_FAILED_INIT, curl_easy_strerror(CURLE_FAILED_INIT)};
    return nullptr;
  }
};

}  // namespace

HttpClient& CurlHttpClient() {
  static CurlClient client;
  return client;
}

}  // namespace korvun
