// The HTTPS client of the platform (libcurl on POSIX, WinINet on Windows). It
// only opens a request, reports the status and the announced length, and
// hands over the body block by block; the rules around it live in
// transfer/http_download.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvun {

// The library's error number of "no data within the time-out".
#ifdef _WIN32
inline constexpr int kHttpTimeoutErrorNumber = 12002;  // ERROR_INTERNET_TIMEOUT
#else
inline constexpr int kHttpTimeoutErrorNumber = 28;  // CURLE_OPERATION_TIMEDOUT
#endif

// One GET.
struct HttpGet {
  std::string url;
  std::vector<std::string> headers;  // "Name: value" lines sent with it
  std::string userAgent;
  int timeoutSeconds = 0;  // seconds without data that end it; <= 0: the library's defaults
};

// A failure of the library itself, as opposed to an HTTP status.
struct HttpFailure {
  int number = 0;       // the library's error number
  std::string message;  // its text, Windows-1252; may be empty
};

enum class HttpRead {
  kData,     // *got > 0 bytes were handed over
  kWaiting,  // nothing came for a moment: call again (a blocking library never says this)
  kEnd,      // the body is complete as far as the connection knows
  kFailed,   // the connection broke off; Failure() says why
};

class HttpRequest {
 public:
  virtual ~HttpRequest() = default;

  // Sends the request, again after SetProxyCredentials, and waits for the
  // header block of the answer. False when no answer came: Failure().
  virtual bool Send() = 0;
  // Used by the next Send.
  virtual void SetProxyCredentials(const std::string& user, const std::string& password) = 0;

  // After Send: the status code of the answer (the proxy's when it refused
  // the tunnel), 0 for an answer without a status line.
  virtual int StatusCode() const = 0;
  // The Content-Length header's value as it came; none when it was missing.
  virtual std::optional<std::string> ContentLength() const = 0;
  // "host:port" of the proxy that answered, for the credentials prompt.
  virtual std::string ProxyName() const = 0;

  // Up to `size` bytes of the body into `buffer`, as far as they have come.
  virtual HttpRead Read(char* buffer, std::size_t size, std::size_t* got) = 0;

  // What went wrong in the last Send or Read.
  virtual const HttpFailure& Failure() const = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Null and *failure when the library cannot give a session or a handle.
  virtual std::unique_ptr<HttpRequest> Open(const HttpGet& get, HttpFailure* failure) = 0;
};

}  // namespace korvun
