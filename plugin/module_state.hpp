// What lives as long as the library: identity, settings kept between runs,
// the error details of the last run and the registered progress callback.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/progress.hpp"

namespace korvun {

inline constexpr const char* kImportName = "ZUV";
inline constexpr const char* kImportVersion = "2.2.2";
inline constexpr int32_t kInterfaceVersion = 40300;
inline constexpr int32_t kMinimumHostVersion = 40338;

// Built-in endpoint of the provider's online data transfer.
inline constexpr const char* kDefaultDownloadUrl =
    "https://www.zuv-fondsbank.de/actionus/aes/onlinedatatransfer";
inline constexpr int kDefaultTimeoutSeconds = 300;

// Details of the last failure that some messages insert.
struct ErrorDetails {
  int32_t code = 0;
  std::string text;  // Windows-1252
};

struct ModuleState {
  Reporter reporter;
  ErrorDetails errors;
  std::string downloadSrvUrl = kDefaultDownloadUrl;
  std::string importDb;
  int timeoutSeconds = kDefaultTimeoutSeconds;
  int debugMode = 0;
};

// The one instance of the loaded library.
ModuleState& Module();

}  // namespace korvun
