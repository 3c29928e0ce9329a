// The request crypto on Windows CNG (bcrypt.dll).
#pragma once

#include "platform/request_crypto.hpp"

namespace korvun {

const RequestCrypto& CngRequestCrypto();

}  // namespace korvun
