// The request crypto on OpenSSL's libcrypto.
#pragma once

#include "platform/request_crypto.hpp"

namespace korvun {

const RequestCrypto& OpenSslRequestCrypto();

}  // namespace korvun
