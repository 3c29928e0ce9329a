#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "tests/transfer/sim_fixture.hpp"
#include "transfer/http_download.hpp"

namespace korvun {
namespace {

using testing::ProgressEvent;
using testing::RecordedProgress;
using testing::ScopedEnvVar;
using testing::TempDir;

class HttpDownload : public testing::SimTest {
 protected:
  ExportErrorCode Get(const std::string& url, int timeout = 30) {
    HttpGetRequest request;
    request.url = url;
    request.timeoutSeconds = timeout;
    body_.clear();
    status_.clear();
    return rc_.Keep(HttpGetToStream(rc_.ctx, request, &status_, &body_));
  }
  std::string body_, status_;
};

TEST_F(HttpDownload, ReadsTheWholeBodyWithProgress) {
  StartSim();
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kSuccess);
  EXPECT_EQ(status_, "200");
  EXPECT_EQ(body_.rfind("PK\x03\x04", 0), 0u);
  EXPECT_EQ(rc_.ui.shown, (std::vector<std::string>{"progress-show", "progress-hide"}));
  // One report when the window opens, one per block, one when it closes.
  ASSERT_GE(rc_.Count(2), 3);
  for (const auto& e : RecordedProgress()) {
    EXPECT_EQ(e.kind, 2);
    EXPECT_EQ(e.value, 5);
  }
  EXPECT_EQ(rc_.ui.cancelChecks, rc_.Count(2) - 2);
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("\"decoded\":true"), std::string::npos);
  EXPECT_EQ(log[0].find("geheim"), std::string::npos);
}

TEST_F(HttpDownload, StatusCodesGiveTheirResultsAndLogLines) {
  StartSim("status 401\nstatus 403\nstatus 404\nstatus 503\nstatus 500\nstatus 407\n");
  using Code = ExportErrorCode;
  struct Case {
    Code code;
    const char* status;
    const char* line;
  } cases[] = {
      {Code::kInternetAccessDenied, "401", "HTTP-Fehler 401: Zugriff verweigert."},
      {Code::kInternetAccessDenied, "403", "HTTP-Fehler 403: Zugriff verweigert."},
      {Code::kInternetPageNotFound, "404", "HTTP-Fehler 404: Die Seite wurde nicht gefunden."},
      {Code::kInternetServerBusy, "503", "HTTP-Fehler 503: Der Server ist vor\xFC" "bergehend \xFC" "berlastet."},
      {Code::kInternetUrlAccess, "500", "HTTP-Fehler: 500"},
      {Code::kProxyAuthentication, "407", "HTTP-Fehler 407: Authentifizierung erforderlich."},
  };
  rc_.ui.interactive = false;  // a 407 without a person: -9
  for (const auto& c : cases) {
    RecordedProgress().clear();
    EXPECT_EQ(Get(HoldingsUrl()), c.code) << c.status;
    EXPECT_EQ(status_, c.status);
    EXPECT_EQ(rc_.Texts(3), std::vector<std::string>{c.line});
    EXPECT_EQ(rc_.Count(2), 0) << "no body is read for " << c.status;
    EXPECT_TRUE(body_.empty());
  }
  EXPECT_TRUE(rc_.ui.shown.empty());
}

TEST_F(HttpDownload, RedirectIsFollowed) {
  StartSim("redirect\n");
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kSuccess);
  EXPECT_EQ(status_, "200");
  EXPECT_EQ(body_.rfind("PK", 0), 0u);
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].find("\"answer\":\"redirect\""), std::string::npos);
}

TEST_F(HttpDownload, UnknownPathIs404) {
  StartSim();
  EXPECT_EQ(Get("https://127.0.0.1:" + std::to_string(Sim().Port()) + "/gibt/es/nicht"), ExportErrorCode::kInternetPageNotFound);
}

TEST_F(HttpDownload, EmptyBodyIsIncomplete) {
  StartSim("empty\n");
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kInternetIncompleteFile);
  EXPECT_EQ(rc_.Texts(3), std::vector<std::string>{
                              "Fehler bei Download: Die angeforderte Datei wurde nur "
                              "unvollst\xE4ndig geladen (0 Bytes geladen)"});
}

TEST_F(HttpDownload, BodyShorterThanItsLengthIsIncomplete) {
  StartSim("short | pad 100000\n");
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kInternetIncompleteFile);
  ASSERT_EQ(rc_.Texts(3).size(), 1u);
  EXPECT_EQ(rc_.Texts(3)[0], "Fehler bei Download: Die angeforderte Datei wurde nur "
                             "unvollst\xE4ndig geladen (" + std::to_string(body_.size()) +
                                 " Bytes geladen)");
  EXPECT_GT(body_.size(), 0u);
}

TEST_F(HttpDownload, BodyWithoutLengthIsComplete) {
  StartSim("nolength\n");
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kSuccess);
  EXPECT_EQ(body_.rfind("PK", 0), 0u);
}

TEST_F(HttpDownload, StallLongerThanTheTimeoutBreaksOff) {
  StartSim("stall 60 | nolength | pad 50000\n");
  EXPECT_EQ(Get(HoldingsUrl(), 5), ExportErrorCode::kInternetIncompleteFile);
  ASSERT_EQ(rc_.Texts(3).size(), 1u);
  EXPECT_NE(rc_.Texts(3)[0].find("unvollst\xE4ndig"), std::string::npos);
}

TEST_F(HttpDownload, SilentServerTimesOut) {
  StartSim("delay 60\n");
  EXPECT_EQ(Get(HoldingsUrl(), 5), ExportErrorCode::kInternetOpenUrl);
  EXPECT_EQ(rc_.Texts(3), std::vector<std::string>{
                              "WinINet-Systemfehler: 28:Zeit\xFC" "berschreitung (TimeOut)"});
  EXPECT_EQ(status_, "");
}

TEST_F(HttpDownload, CancelAfterTheSecondBlock) {
  StartSim("pad 600000\n");
  rc_.ui.cancelOnCheck = 2;
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kDownloadCancelled);
  EXPECT_EQ(rc_.ui.cancelChecks, 2);
  EXPECT_EQ(status_, "200");  // the status line of the failed download names it
  EXPECT_EQ(rc_.Texts(3), std::vector<std::string>{"Download durch Benutzer abgebrochen"});
  EXPECT_EQ(rc_.Count(2), 4);  // window opened, two blocks, window closed
  EXPECT_EQ(rc_.ui.shown, (std::vector<std::string>{"progress-show", "progress-hide"}));
  EXPECT_GT(body_.size(), 0u);
  EXPECT_LT(body_.size(), 600000u);
}

TEST_F(HttpDownload, CancelAtEachBlockEndsTheDownloadThere) {
  std::string script;
  for (int i = 0; i < 64; ++i) script += "pad 200000\n";
  StartSim(script);
  ASSERT_EQ(Get(HoldingsUrl()), ExportErrorCode::kSuccess);
  const int blocks = rc_.ui.cancelChecks;
  ASSERT_LT(blocks, 64);
  for (int k = 1; k <= blocks; ++k) {
    rc_.ui.cancelChecks = 0;
    rc_.ui.shown.clear();
    rc_.ui.cancelOnCheck = k;
    const ExportErrorCode code = Get(HoldingsUrl());
    // How the body splits into blocks depends on the network's timing: a
    // body that came in fewer blocks this time was never asked k times.
    if (rc_.ui.cancelChecks < k) {
      EXPECT_EQ(code, ExportErrorCode::kSuccess) << "block " << k;
      continue;
    }
    EXPECT_EQ(code, ExportErrorCode::kDownloadCancelled) << "block " << k;
    EXPECT_EQ(rc_.ui.cancelChecks, k);
    EXPECT_EQ(status_, "200");
    EXPECT_EQ(rc_.ui.shown, (std::vector<std::string>{"progress-show", "progress-hide"}));
  }
}

TEST_F(HttpDownload, DrippingServerIsReadToTheEnd) {
  StartSim("drip 3\n");  // a byte a second: slow, but never silent for the time-out
  EXPECT_EQ(Get(HoldingsUrl(), 5), ExportErrorCode::kSuccess);
  EXPECT_EQ(body_.rfind("PK\x03\x04", 0), 0u);
}

TEST_F(HttpDownload, UntrustedCertificateIsRefused) {
  StartSim();
  // The machine's own store does not know the simulator's CA.
  ScopedEnvVar systemStore("SSL_CERT_FILE", std::string("/etc/ssl/certs/ca-certificates.crt"));
  ScopedEnvVar bundle("CURL_CA_BUNDLE", std::nullopt);
  ScopedEnvVar noDir("SSL_CERT_DIR", std::nullopt);
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kInternetOpenUrl);
  ASSERT_EQ(rc_.Texts(3).size(), 1u);
  // 60: the peer's certificate was not verified; 77: no such bundle here.
  const std::string line = rc_.Texts(3)[0];
  EXPECT_TRUE(line.rfind("WinINet-Systemfehler: 60-", 0) == 0 ||
              line.rfind("WinINet-Systemfehler: 77-", 0) == 0)
      << line;
  EXPECT_TRUE(Sim().LogLines().empty());
}

TEST_F(HttpDownload, CertificateForAnotherHostIsRefused) {
  if (std::system("openssl version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl tool";
  TempDir certs;
  const std::string d = certs.Path();
  testing::WriteFileBytes(certs / "ext.cnf", "subjectAltName=DNS:wrong.example\n");
  const std::string commands =
      "cd " + d + " && "
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key "
      "-out ca.pem -days 30 -subj /CN=OtherCA -addext basicConstraints=critical,CA:TRUE "
      "-addext keyUsage=critical,keyCertSign >/dev/null 2>&1 && "
      "openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout server.key "
      "-out server.csr -subj /CN=wrong.example >/dev/null 2>&1 && "
      "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
      "-out server.pem -days 30 -extfile ext.cnf >/dev/null 2>&1";
  ASSERT_EQ(std::system(commands.c_str()), 0);
  sim::SimulatorOptions options;
  options.certDir = d;
  StartSim("", options);
  EXPECT_EQ(Get(HoldingsUrl()), ExportErrorCode::kInternetOpenUrl);
  ASSERT_EQ(rc_.Texts(3).size(), 1u);
  EXPECT_EQ(rc_.Texts(3)[0].rfind("WinINet-Systemfehler: 60-", 0), 0u) << rc_.Texts(3)[0];
}

TEST_F(HttpDownload, WithoutCallbackNothingIsReportedAndCodesStay) {
  StartSim("status 404\n");
  Reporter silent;
  RunContext ctx{Env::Default(), rc_.ui, silent, 0};
  HttpGetRequest request;
  request.url = HoldingsUrl();
  EXPECT_EQ(HttpGetToStream(ctx, request, &status_, &body_), ExportErrorCode::kInternetPageNotFound);
  request.url = HoldingsUrl();
  EXPECT_TRUE(HttpGetToStream(ctx, request, &status_, &body_).ok());
  EXPECT_TRUE(RecordedProgress().empty());
}

TEST(LastInternetErrorText, NumberAndMessage) {
  EXPECT_EQ(LastInternetErrorText(7, "Failed to connect"), "7-Failed to connect");
  EXPECT_EQ(LastInternetErrorText(28, "Operation timed out"),
            "28:Zeit\xFC" "berschreitung (TimeOut)");
  EXPECT_EQ(LastInternetErrorText(35, ""), "35");
}

// One answer written byte for byte by a plain server on loopback, which then
// closes the connection.
class RawAnswer : public HttpDownload {
 public:
  ExportErrorCode Get(const std::string& answer) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no listening socket";
      return ExportErrorCode::kUnexpectedFailure;
    }
    std::thread server([listener, answer] {
      const int client = ::accept(listener, nullptr, nullptr);
      if (client < 0) return;
      std::string request;
      char buffer[1024];
      ssize_t n;
      while (request.find("\r\n\r\n") == std::string::npos &&
             (n = ::read(client, buffer, sizeof buffer)) > 0)
        request.append(buffer, static_cast<size_t>(n));
      (void)!::write(client, answer.data(), answer.size());
      ::close(client);
    });
    const ExportErrorCode code =
        HttpDownload::Get("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/d", 5);
    server.join();
    ::close(listener);
    return code;
  }
};

// An answer without a status line is a body with status "200"; a length that
// does not parse leaves only the test for an empty body.
TEST_F(RawAnswer, StatusLineAndLengthAsTheServerWroteThem) {
  using Code = ExportErrorCode;
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: ";
  const struct {
    std::string answer;
    Code code;
    std::string body;
  } cases[] = {
      {"PK\x03\x04 ohne Statuszeile", Code::kSuccess, "PK\x03\x04 ohne Statuszeile"},
      {head + "abc\r\n\r\nFehler 10 - x", Code::kSuccess, "Fehler 10 - x"},
      {head + "-5\r\n\r\nPK", Code::kSuccess, "PK"},
      {head + "100\r\n\r\nzu kurz", Code::kInternetIncompleteFile, "zu kurz"},
      {head + "abc\r\n\r\n", Code::kInternetIncompleteFile, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Get(c.answer), c.code) << c.answer;
    EXPECT_EQ(status_, "200") << c.answer;
    EXPECT_EQ(body_, c.body) << c.answer;
  }
}

}  // namespace
}  // namespace korvun
