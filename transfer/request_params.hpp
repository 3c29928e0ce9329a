// The plain request parameters and their encryption and encoding.
#pragma once

#include <string>

#include "platform/request_crypto.hpp"

namespace korvun {

// Plain parameter texts of the two requests; timestamp and start date as
// "yyyymmdd" ("00000000" for a first import). Values are inserted verbatim.
std::string HoldingsParams(const std::string& login, const std::string& pin,
                           const std::string& timestamp);
std::string TransactionsParams(const std::string& login, const std::string& pin,
                               const std::string& startDate, const std::string& timestamp);

// Encrypts and encodes the plain text in place with the platform's
// primitives. 0 on success; a non-zero status (the failing primitive's)
// leaves the text as it was.
int EncodeRequestParams(const RequestCrypto& crypto, std::string& params);

// The plain parameters with the PIN value written as "****", for logs.
std::string MaskPinInParams(const std::string& params);

}  // namespace korvun
