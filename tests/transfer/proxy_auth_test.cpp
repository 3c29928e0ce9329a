// Proxy authentication through a real proxy that demands it: tinyproxy with
// BasicAuth, started and stopped by each test.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/transfer/sim_fixture.hpp"
#include "transfer/http_download.hpp"

extern char** environ;

namespace korvun {
namespace {

using testing::ScopedEnvVar;
using testing::TempDir;

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

bool CanConnect(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

std::string FindTinyproxy() {
  for (const char* path : {"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy", "/usr/local/bin/tinyproxy"})
    if (access(path, X_OK) == 0) return path;
  return "";
}

class ProxyAuth : public testing::SimTest {
 protected:
  void SetUp() override {
    const std::string tinyproxy = FindTinyproxy();
    if (tinyproxy.empty()) GTEST_SKIP() << "tinyproxy is not installed";
    StartSim();
    proxyPort_ = FreePort();
    testing::WriteFileBytes(dir_ / "tinyproxy.conf",
                            "Port " + std::to_string(proxyPort_) +
                                "\nListen 127.0.0.1\nTimeout 30\nMaxClients 10\nAllow 127.0.0.1\n"
                                "BasicAuth user pass\nConnectPort " + std::to_string(Sim().Port()) +
                                "\nLogLevel Critical\n");
    const std::string conf = (dir_ / "tinyproxy.conf").string();
    std::vector<std::string> args = {tinyproxy, "-d", "-c", conf};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ASSERT_EQ(posix_spawn(&proxyPid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 250 && !CanConnect(proxyPort_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(CanConnect(proxyPort_)) << "tinyproxy did not come up";
    proxyVar_ = std::make_unique<ScopedEnvVar>(
        "https_proxy", "http://127.0.0.1:" + std::to_string(proxyPort_));
  }
  void TearDown() override {
    if (proxyPid_ > 0) {
      kill(proxyPid_, SIGTERM);
      int status = 0;
      waitpid(proxyPid_, &status, 0);
    }
  }
  ExportErrorCode Get() {
    HttpGetRequest request;
    request.url = HoldingsUrl();
    request.timeoutSeconds = 30;
    std::string status;
    body_.clear();
    return rc_.Keep(HttpGetToStream(rc_.ctx, request, &status, &body_));
  }

  TempDir dir_;
  int proxyPort_ = 0;
  pid_t proxyPid_ = -1;
  std::unique_ptr<ScopedEnvVar> proxyVar_;
  std::string body_;
};

TEST_F(ProxyAuth, CredentialsGivenRetryTheRequest) {
  rc_.ui.proxyAnswers = {ProxyCredentials::kGiven};
  EXPECT_EQ(Get(), ExportErrorCode::kSuccess);
  EXPECT_EQ(body_.rfind("PK", 0), 0u);
  ASSERT_EQ(rc_.ui.proxiesAsked.size(), 1u);
  EXPECT_EQ(rc_.ui.proxiesAsked[0], "127.0.0.1:" + std::to_string(proxyPort_));
  EXPECT_EQ(Sim().LogLines().size(), 1u);
}

TEST_F(ProxyAuth, WrongCredentialsAreRefusedByTheProxy) {
  // tinyproxy answers wrong credentials with 401 rather than another 407.
  rc_.ui.proxyPassword = "falsch";
  rc_.ui.proxyAnswers = {ProxyCredentials::kGiven, ProxyCredentials::kDismissed};
  EXPECT_EQ(Get(), ExportErrorCode::kInternetAccessDenied);
  EXPECT_EQ(rc_.ui.proxiesAsked.size(), 1u);
  EXPECT_EQ(rc_.Texts(3), std::vector<std::string>{"HTTP-Fehler 401: Zugriff verweigert."});
  EXPECT_TRUE(Sim().LogLines().empty());
}

TEST_F(ProxyAuth, DismissedPromptIsMinus1) {
  rc_.ui.proxyAnswers = {ProxyCredentials::kDismissed};
  EXPECT_EQ(Get(), ExportErrorCode::kInternetUnspecified);
  EXPECT_TRUE(rc_.Texts(3).empty());
  EXPECT_TRUE(Sim().LogLines().empty());
}

TEST_F(ProxyAuth, PromptConfirmedWithoutRetryIsMinus9) {
  rc_.ui.proxyAnswers = {ProxyCredentials::kConfirmed};
  EXPECT_EQ(Get(), ExportErrorCode::kProxyAuthentication);
  EXPECT_EQ(rc_.Texts(3),
            std::vector<std::string>{"HTTP-Fehler 407: Authentifizierung erforderlich."});
}

TEST_F(ProxyAuth, NoPersonIsMinus9WithoutAsking) {
  rc_.ui.interactive = false;
  EXPECT_EQ(Get(), ExportErrorCode::kProxyAuthentication);
  EXPECT_TRUE(rc_.ui.proxiesAsked.empty());
}

TEST_F(ProxyAuth, PromptImpossibleIsMinus1) {
  rc_.ui.proxyAnswers = {ProxyCredentials::kUnavailable};
  EXPECT_EQ(Get(), ExportErrorCode::kInternetUnspecified);
  EXPECT_TRUE(rc_.Texts(3).empty());
}

}  // namespace
}  // namespace korvun
