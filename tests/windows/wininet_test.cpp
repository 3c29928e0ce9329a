// WinINet against the provider simulator on https://localhost:PORT, with
// the simulator's CA added to this Wine prefix's Root store. The scripted
// simulator answers the requests in the order of the tests below.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/recording_ui.hpp"
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

TEST_F(WinInetDownload, UnknownCaAndWrongNameAreRefused) {
  // A CA nobody trusts; the trusted CA's certificate for another host.
  for (const char* variable : {"KORVUN_UNTRUSTED_SIM_INFO", "KORVUN_WRONG_NAME_SIM_INFO"}) {
    const SimInfo server = ReadSimInfo(variable);
    ASSERT_GT(server.port, 0) << variable;
    EXPECT_EQ(Get(server.port), ExportErrorCode::kInternetOpenUrl) << variable;
    ASSERT_EQ(logs_.size(), 1u) << variable;
    EXPECT_EQ(logs_[0].rfind("WinINet-Systemfehler: ", 0), 0u) << logs_[0];
    EXPECT_TRUE(body_.empty()) << variable;
  }
}

// A person who types the proxy's login when asked.
class ProxyLoginUi final : public testing::RecordingUi {
 public:
  ProxyCredentials AskProxyCredentials(const std::string&, std::string* user,
                                       std::string* password) override {
    ++asked;
    *user = "user";
    *password = "pass";
    return ProxyCredentials::kGiven;
  }
  int asked = 0;
};

// The system's proxy (the user's Internet Settings) demands a login: the
// prompt's credentials go with the repeated request.
TEST_F(WinInetDownload, ProxyLoginIsAskedForAndSent) {
  const auto proxy = testing::ReadInfoFile("KORVUN_PROXY_INFO");
  ASSERT_FALSE(proxy.empty());
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                              0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD enable = 1;
  const std::string server = "127.0.0.1:" + proxy.at("PORT");
  ::RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable),
                   sizeof enable);
  ::RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>(server.size() + 1));

  HttpGetRequest request;
  request.url = HoldingsUrl(trusted_.port);
  request.timeoutSeconds = 30;
  request.showProgress = false;
  Reporter reporter;
  ProxyLoginUi ui;
  RunContext ctx{Env::Default(), ui, reporter};
  const ExportErrorCode code = HttpGetToStream(ctx, request, &status_, &body_).code();

  ::RegDeleteValueA(key, "ProxyEnable");
  ::RegDeleteValueA(key, "ProxyServer");
  ::RegCloseKey(key);
  EXPECT_EQ(code, ExportErrorCode::kSuccess) << status_;
  EXPECT_EQ(ui.asked, 1);
  EXPECT_EQ(body_.rfind("PK\x03\x04", 0), 0u);
}

}  // namespace
}  // namespace korvun
