// WinINet against the provider simulator on https://localhost:PORT, with
// the simulator's CA added to this Wine prefix's Root store. The scripted
// simulator answers the requests in the order of the tests below.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/windows/windows_test_support.hpp"
#include "platform/env.hpp"
#include "platform/run_context.hpp"
#include "transfer/http_download.hpp"
#include "transfer/request_codecs.hpp"
#include "transfer/request_params.hpp"

namespace korvun {
namespace {

struct SimInfo {
  int port = 0;
  std::string caFile;
};

SimInfo ReadSimInfo(const char* variable) {
  auto info = testing::ReadInfoFile(variable);
  return SimInfo{std::atoi(info["PORT"].c_str()), info["CA"]};
}

std::string Today() {
  const LocalTime now = Env::Default().Now();
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", now.year, now.month, now.day);
  return text;
}

std::string HoldingsUrl(int port) {
  std::string params = HoldingsParams("ZUVTEST", "geheim", Today());
  EXPECT_EQ(EncodeRequestParams(Env::Default().Crypto(), params), 0);
  return "https://localhost:" + std::to_string(port) + "/actionus/aes/onlinedatatransfer?params=" +
         params;
}

class WinInetDownload : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    trusted_ = ReadSimInfo("KORVUN_SIM_INFO");
    untrusted_ = ReadSimInfo("KORVUN_UNTRUSTED_SIM_INFO");
    caTrusted_ = testing::TrustCa(trusted_.caFile);
  }
  void SetUp() override { ASSERT_TRUE(caTrusted_) << "CA " << trusted_.caFile; }

  ExportErrorCode Get(int port, int timeout = 30) {
    HttpGetRequest request;
    request.url = HoldingsUrl(port);
    request.timeoutSeconds = timeout;
    request.showProgress = false;
    body_.clear();
    logs_.clear();
    Reporter reporter([this](int32_t kind, int32_t, const char* text) {
      if (kind == kLog) logs_.push_back(text);
    });
    auto ui = MakeSilentUi();
    RunContext ctx{Env::Default(), *ui, reporter};
    return HttpGetToStream(ctx, request, &status_, &body_).code();
  }

  static SimInfo trusted_, untrusted_;
  static bool caTrusted_;
  std::string body_, status_;
  std::vector<std::string> logs_;
};
SimInfo WinInetDownload::trusted_, WinInetDownload::untrusted_;
bool WinInetDownload::caTrusted_ = false;

TEST_F(WinInetDownload, ArchiveFromTheTrustedServer) {
  EXPECT_EQ(Get(trusted_.port), ExportErrorCode::kSuccess);
  EXPECT_EQ(status_, "200");
  EXPECT_EQ(body_.rfind("PK\x03\x04", 0), 0u);
}

TEST_F(WinInetDownload, StatusCodesAndBodies) {
  // The script's lines 2 to 5, in this order.
  const struct {
    ExportErrorCode code;
    const char* status;
  } cases[] = {
      {ExportErrorCode::kInternetPageNotFound, "404"},
      {ExportErrorCode::kInternetServerBusy, "503"},
      {ExportErrorCode::kSuccess, "200"},                // no Content-Length
      {ExportErrorCode::kInternetIncompleteFile, "200"},  // shorter than announced
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Get(trusted_.port), c.code) << c.status;
    EXPECT_EQ(status_, c.status);
  }
}

TEST_F(WinInetDownload, SilentServerTimesOut) {
  // "delay 6" with a time-out of 2 s. Wine reports 12030 where Windows
  // reports 12002.
  EXPECT_EQ(Get(trusted_.port, 2), ExportErrorCode::kInternetOpenUrl);
  ASSERT_EQ(logs_.size(), 1u);
  EXPECT_TRUE(logs_[0].find("12002:Zeit") != std::string::npos ||
              logs_[0].find("12030") != std::string::npos)
      << logs_[0];
}

TEST_F(WinInetDownload, UnknownCaIsRefused) {
  ASSERT_GT(untrusted_.port, 0);
  EXPECT_EQ(Get(untrusted_.port), ExportErrorCode::kInternetOpenUrl);
  ASSERT_EQ(logs_.size(), 1u);
  EXPECT_EQ(logs_[0].rfind("WinINet-Systemfehler: ", 0), 0u) << logs_[0];
  EXPECT_TRUE(body_.empty());
}

}  // namespace
}  // namespace korvun
