// The HTTPS client on WinINet.
#pragma once

#include "platform/http_client.hpp"

namespace korvun {

HttpClient& WinInetHttpClient();

}  // namespace korvun
