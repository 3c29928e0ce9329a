// One HTTP GET into memory, with the status handling, progress reports,
// cancel and proxy authentication of the online data transfer. The bytes
// move through the platform's HttpClient; every rule is here.
#pragma once

#include <string>

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

// Appends the response body to *stream. Success, an internet code (-1..-9)
// or -1015; puts the HTTP status code as text into *statusText.
Status HttpGetToStream(RunContext& ctx, const HttpGetRequest& request, std::string* statusText,
                    std::string* stream);

// "<number>-<message>" of an HTTP library failure; its time-out reads
// "<number>:Zeitüberschreitung (TimeOut)".
std::string LastInternetErrorText(int errorNumber, const std::string& message);

}  // namespace korvun
