// One HTTP GET, with the status handling, progress reports,
// cancel and proxy authentication of the online data transfer. The bytes
// move through the platform's HttpClient; every rule is here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/status.hpp"
#include "platform/run_context.hpp"

namespace korvun {

struct HttpGetRequest {
  std::string url;
  std::string extraHeaders;  // "Name: value" lines separated by CR LF; may be empty
  int timeoutSeconds = 0;    // <= 0: the HTTP library's defaults
  bool showProgress = true;  // progress window and cancel
  bool report = true;        // log lines to the host
};

// Where the body goes, block by block as it arrives.
class DownloadSink {
 public:
  virtual ~DownloadSink() = default;
  virtual void Append(std::string_view block) = 0;
  // The bytes it holds, as the line of an incomplete download names them.
  virtual uint64_t Size() const = 0;
};

// The body appended to a string, for answers that are small.
class StringSink final : public DownloadSink {
 public:
  explicit StringSink(std::string* text) : text_(text) {}
  void Append(std::string_view block) override { text_->append(block); }
  uint64_t Size() const override { return text_->size(); }

 private:
  std::string* text_;
};

// Hands the response body to *sink. Success, an internet code (-1..-9) or
// -1015; puts the HTTP status code as text into *statusText.
Status HttpGetToStream(RunContext& ctx, const HttpGetRequest& request, std::string* statusText,
                       DownloadSink* sink);

// The same, the body appended to *stream.
inline Status HttpGetToStream(RunContext& ctx, const HttpGetRequest& request,
                              std::string* statusText, std::string* stream) {
  StringSink sink(stream);
  return HttpGetToStream(ctx, request, statusText, &sink);
}

// "<number>-<message>" of an HTTP library failure; its time-out reads
// "<number>:Zeitüberschreitung (TimeOut)".
std::string LastInternetErrorText(int errorNumber, const std::string& message);

}  // namespace korvun
