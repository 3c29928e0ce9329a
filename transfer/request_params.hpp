// The plain request parameters and their encryption and encoding.
#pragma once

#include <string>

namespace korvun {

// Plain parameter texts of the two requests; timestamp and start date as
// "yyyymmdd" ("00000000" for a first import). Values are inserted verbatim.
std::string HoldingsParams(const std::string& login, const std::string& pin,
                           const std::string& timestamp);
std::string TransactionsParams(const std::string& login, const std::string& pin,
                               const std::string& startDate, const std::string& timestamp);

// Encrypts and encodes the plain text in place. 0 on success; a non-zero
// status leaves the text as it was.
int EncodeRequestParams(std::string& params);

// The plain parameters with the PIN value written as "****", for logs.
std::string MaskPinInParams(const std::string& params);

}  // namespace korvun
