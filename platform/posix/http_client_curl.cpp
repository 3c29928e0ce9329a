#include "platform/posix/http_client_curl.hpp"

namespace korvun {
namespace {

class CurlClient final : public HttpClient {};

}  // namespace

HttpClient& CurlHttpClient() {
  static CurlClient client;
  return client;
}

}  // namespace korvun
