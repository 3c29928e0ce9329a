// The HTTPS client of the platform (libcurl on POSIX). It only opens a
// request, reports the status and the announced length, and hands over the
// body block by block; the rules around it live in transfer/http_download.
#pragma once

namespace korvun {

class HttpClient {
 public:
  virtual ~HttpClient() = default;
};

}  // namespace korvun
