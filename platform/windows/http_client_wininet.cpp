#include "platform/windows/http_client_wininet.hpp"

#include <windows.h>
#include <wininet.h>

#include <string>

namespace korvun {
namespace {

// Always from the server, never into the cache. The certificate checks stay
// on: neither the date nor the name of a certificate is ignored.
constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

// The system's text for an error number, as it comes (with its line break);
// empty when the system has none, as for most WinINet numbers.
std::string SystemMessage(DWORD number) {
  char text[1024];
  const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, number, 0, text, 1023, nullptr);
  return std::string(text, length);
}

HttpFailure LastFailure() {
  const DWORD number = ::GetLastError();
  return HttpFailure{static_cast<int>(number), SystemMessage(number)};
}

void SetTimeouts(HINTERNET handle, int seconds) {
  if (seconds <= 0) return;
  DWORD ms = static_cast<DWORD>(seconds) * 1000;
  ::InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof ms);
  ::InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
}

// The revocation lists cannot be reached from behind many company proxies,
// and a failed check would stop every download there; the chain and the
// host name are still checked.
void IgnoreRevocation(HINTERNET handle) {
  DWORD flags = 0;
  DWORD size = sizeof flags;
  if (::InternetQueryOptionA(handle, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size)) {
    flags |= SECURITY_FLAG_IGNORE_REVOCATION;
    ::InternetSetOptionA(handle, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
  }
}

// A header of the answer as text; none when it is missing.
std::optional<std::string> QueryHeader(HINTERNET request, DWORD which) {
  char buffer[32];
  DWORD size = sizeof buffer;
  DWORD index = 0;
  if (!::HttpQueryInfoA(request, which, buffer, &size, &index)) return std::nullopt;
  return std::string(buffer, size);
}

class WinInetRequest final : public HttpRequest {
 public:
  WinInetRequest(HINTERNET session, HttpGet get) : session_(session), get_(std::move(get)) {
    for (const auto& line : get_.headers) headers_ += line + "\r\n";
  }
  ~WinInetRequest() override {
    if (request_) ::InternetCloseHandle(request_);
    if (connection_) ::InternetCloseHandle(connection_);
    ::InternetCloseHandle(session_);
  }

  bool Send() override {
    if (!request_ && !OpenRequest()) return false;
    if (credentialsPending_) {
      // The same request again, now with the proxy's credentials; what is
      // left of the refusal's body goes first.
      credentialsPending_ = false;
      Drain();
      ::InternetSetOptionA(request_, INTERNET_OPTION_PROXY_USERNAME, user_.data(),
                           static_cast<DWORD>(user_.size()));
      ::InternetSetOptionA(request_, INTERNET_OPTION_PROXY_PASSWORD, password_.data(),
                           static_cast<DWORD>(password_.size()));
    }
    if (!::HttpSendRequestA(request_, Headers(), HeadersLength(), nullptr, 0)) {
      failure_ = LastFailure();
      return false;
    }
    const auto status = QueryHeader(request_, HTTP_QUERY_STATUS_CODE);
    // No status line (an HTTP/0.9 answer): 0, which the core reads as 200.
    status_ = status ? std::atoi(status->c_str()) : 0;
    contentLength_ = QueryHeader(request_, HTTP_QUERY_CONTENT_LENGTH);
    return true;
  }

  void SetProxyCredentials(const std::string& user, const std::string& password) override {
    user_ = user;
    password_ = password;
    credentialsPending_ = true;
  }
  int StatusCode() const override { return status_; }
  std::optional<std::string> ContentLength() const override { return contentLength_; }

  std::string ProxyName() const override {
    // INTERNET_PROXY_INFO with its strings in the same buffer.
    char buffer[2048];
    DWORD size = sizeof buffer;
    if (!::InternetQueryOptionA(session_, INTERNET_OPTION_PROXY, buffer, &size)) return {};
    const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer);
    if (info->dwAccessType != INTERNET_OPEN_TYPE_PROXY || !info->lpszProxy) return {};
    std::string proxy = reinterpret_cast<const char*>(info->lpszProxy);
    // "https=host:port http=host:port" or plain "host:port".
    const size_t https = proxy.find("https=");
    if (https != std::string::npos) proxy = proxy.substr(https + 6);
    const size_t end = proxy.find_first_of(" ;");
    return end == std::string::npos ? proxy : proxy.substr(0, end);
  }

  HttpRead Read(char* buffer, std::size_t size, std::size_t* got) override {
    *got = 0;
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(size > 65535 ? 65535 : size);
    if (!::InternetReadFile(request_, buffer, want, &read)) {
      failure_ = LastFailure();
      return HttpRead::kFailed;
    }
    if (read == 0) return HttpRead::kEnd;
    *got = read;
    return HttpRead::kData;
  }

  const HttpFailure& Failure() const override { return failure_; }

 private:
  const char* Headers() const { return headers_.empty() ? nullptr : headers_.c_str(); }
  DWORD HeadersLength() const { return headers_.empty() ? 0 : static_cast<DWORD>(-1); }

  // Connection and request handles of their own rather than one
  // InternetOpenUrl: each takes the time-outs, which some WinINet versions
  // ignore on the session handle, before anything is sent.
  bool OpenRequest() {
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    char host[256] = {}, path[8192] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (!::InternetCrackUrlA(get_.url.c_str(), 0, 0, &parts)) {
      failure_ = LastFailure();
      return false;
    }
    connection_ = ::InternetConnectA(session_, host, parts.nPort, nullptr, nullptr,
                                     INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection_) {
      failure_ = LastFailure();
      return false;
    }
    SetTimeouts(connection_, get_.timeoutSeconds);
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
    request_ = ::HttpOpenRequestA(connection_, "GET", path, nullptr, nullptr, nullptr,
                                  kOpenFlags | secure, 0);
    if (!request_) {
      failure_ = LastFailure();
      return false;
    }
    SetTimeouts(request_, get_.timeoutSeconds);
    if (get_.timeoutSeconds > 0) IgnoreRevocation(request_);
    return true;
  }

  void Drain() {
    char scratch[4096];
    DWORD read = 0;
    while (::InternetReadFile(request_, scratch, sizeof scratch, &read) && read > 0) {
    }
  }

  HINTERNET session_;
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
  HttpGet get_;
  std::string headers_;
  std::string user_, password_;
  bool credentialsPending_ = false;
  int status_ = 0;
  std::optional<std::string> contentLength_;
  HttpFailure failure_;
};

class WinInetClient final : public HttpClient {
 public:
  std::unique_ptr<HttpRequest> Open(const HttpGet& get, HttpFailure* failure) override {
    // The proxy the user configured for the system.
    HINTERNET session =
        ::InternetOpenA(get.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) {
      *failure = LastFailure();
      return nullptr;
    }
    SetTimeouts(session, get.timeoutSeconds);
    IgnoreRevocation(session);
    return std::make_unique<WinInetRequest>(session, get);
  }
};

}  // namespace

HttpClient& WinInetHttpClient() {
  static WinInetClient client;
  return client;
}

}  // namespace korvun
