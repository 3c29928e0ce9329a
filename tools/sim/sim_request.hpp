// Decoding of one request of the online data transfer, written apart from
// the plug-in's encoder so that the two cannot share a mistake.
#pragma once

#include <optional>
#include <string>

namespace korvun::sim {

struct DecodedRequest {
  std::string file;
  std::string loginId;
  std::string pin;
  std::string version;
  std::optional<std::string> startDate;
  std::string timestamp;
  std::string salt;  // the 16 characters as sent
  std::string iv;
};

// Decodes the raw value of the "params" query parameter as it stands in the
// request line. On failure returns nullopt and says why in *error.
std::optional<DecodedRequest> DecodeParams(const std::string& rawValue, std::string* error);

// The raw (still escaped) value of "params" in a request target
// "/path?params=...", or nullopt.
std::optional<std::string> RawParamsValue(const std::string& target);

}  // namespace korvun::sim
