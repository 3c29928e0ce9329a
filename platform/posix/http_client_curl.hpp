// The HTTPS client on libcurl.
#pragma once

#include "platform/http_client.hpp"

namespace korvun {

HttpClient& CurlHttpClient();

}  // namespace korvun
