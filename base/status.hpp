// The result of an export run and of each of its stages: one of the fixed
// result codes, and the detail that some messages insert (the provider's
// error number and text, the archive's name, the cause of an unexpected
// failure). A status without a detail leaves the details of earlier failures
// as they are, as the host's messages expect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace korvun {

// The result codes of ExportXML. Every code the library can return, and the
// reserved -13, which only has a message.
enum class ExportErrorCode : int32_t {
  kSuccess = 0,
  kInternetUnspecified = -1,
  kInternetSession = -2,
  kInternetOpenUrl = -3,
  kInternetAccessDenied = -4,
  kInternetPageNotFound = -5,
  kInternetUrlAccess = -6,
  kInternetIncompleteFile = -7,
  kInternetServerBusy = -8,
  kProxyAuthentication = -9,
  kNoAccessData = -11,
  kNoLoginId = -12,
  kNoCentralNumber = -13,
  kBeraterRefTooLong = -14,
  kNoPassword = -15,
  kEncodeHoldings = -21,
  kEncodeTransactions = -22,
  kUnzipFailed = -23,
  kNoCustomerData = -28,
  kDatabaseServer = -29,
  kProviderError = -30,
  kProviderLogin = -31,
  kProviderTimestamp = -32,
  kProviderTryLater = -33,
  kProviderOutdated = -34,
  kProviderError50 = -35,
  kUnexpectedFailure = -40,
  kDownloadCancelled = -1015,
};

inline constexpr int32_t CodeValue(ExportErrorCode code) { return static_cast<int32_t>(code); }

class Status {
 public:
  Status() = default;  // success
  Status(ExportErrorCode code) : code_(code) {}  // NOLINT: a code is a status

  static Status Ok() { return Status(); }
  // -40 with its cause as detail text.
  static Status Unexpected(std::string cause) {
    return Status(ExportErrorCode::kUnexpectedFailure).WithDetailText(std::move(cause));
  }

  Status WithDetailCode(int32_t detailCode) && {
    detailCode_ = detailCode;
    return std::move(*this);
  }
  Status WithDetailText(std::string detailText) && {
    detailText_ = std::move(detailText);
    return std::move(*this);
  }

  bool ok() const { return code_ == ExportErrorCode::kSuccess; }
  ExportErrorCode code() const { return code_; }
  int32_t value() const { return CodeValue(code_); }
  bool Is(ExportErrorCode code) const { return code_ == code; }

  const std::optional<int32_t>& detailCode() const { return detailCode_; }
  const std::optional<std::string>& detailText() const { return detailText_; }

 private:
  ExportErrorCode code_ = ExportErrorCode::kSuccess;
  std::optional<int32_t> detailCode_;
  std::optional<std::string> detailText_;
};

inline bool operator==(const Status& status, ExportErrorCode code) { return status.code() == code; }

// The module-wide details of the last failure that some messages insert
// (ErrorDetailCode, ErrorDetailText). Each detail a status carries replaces
// the one kept; a status without it leaves the earlier one in place.
struct ErrorDetails {
  int32_t code = 0;
  std::string text;  // Windows-1252

  void Take(const Status& status) {
    if (status.detailCode()) code = *status.detailCode();
    if (status.detailText()) text = *status.detailText();
  }
};

}  // namespace korvun
