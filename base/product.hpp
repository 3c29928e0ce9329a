// The product's identity and fixed defaults.
#pragma once

#include <cstdint>

namespace korvun {

inline constexpr const char* kImportName = "ZUV";
inline constexpr const char* kImportVersion = "2.2.2";
inline constexpr int32_t kInterfaceVersion = 40300;
inline constexpr int32_t kMinimumHostVersion = 40338;

// Built-in endpoint of the provider's online data transfer.
inline constexpr const char* kDefaultDownloadUrl =
    "https://www.zuv-fondsbank.de/actionus/aes/onlinedatatransfer";
inline constexpr int kDefaultTimeoutSeconds = 300;

// The settings key below HKEY_LOCAL_MACHINE.
inline constexpr const char* kSettingsKey = "Software\\Brenhalt\\Tarvo\\Korvun\\ZUV";

}  // namespace korvun
