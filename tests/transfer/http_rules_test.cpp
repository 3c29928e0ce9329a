// The download's rules against a scripted HttpClient: no network, every
// answer and every block chosen by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/http_client.hpp"
#include "tests/support/fake_env.hpp"
#include "tests/transfer/transfer_test_support.hpp"
#include "transfer/fetch_data_file.hpp"
#include "transfer/http_download.hpp"

namespace korvun {
namespace {

// What one Send meets: no answer (failure), or a status, a length and the
// body's blocks; a block of 0 bytes is a pause in the data.
struct Answer {
  int status = 200;
  std::optional<std::string> length;
  std::vector<std::size_t> blocks;
  HttpRead last = HttpRead::kEnd;
  std::optional<HttpFailure> failure;
};

Answer Body(int status, std::optional<std::string> length, std::vector<std::size_t> blocks,
            HttpRead last = HttpRead::kEnd) {
  return {status, std::move(length), std::move(blocks), last, std::nullopt};
}
Answer NoAnswer(HttpFailure failure) { return {0, std::nullopt, {}, HttpRead::kEnd, failure}; }

class ScriptedClient : public HttpClient {
 public:
  std::vector<Answer> answers;
  bool opens = true;
  HttpGet get;
  int sends = 0, reads = 0;
  std::size_t blockSize = 0;  // what the last Read could take
  std::string credentials;

  std::unique_ptr<HttpRequest> Open(const HttpGet& g, HttpFailure* failure) override {
    get = g;
    if (!opens) {
      *failure = {2, "Failed initialization"};
      return nullptr;
    }
    return std::make_unique<Request>(*this);
  }

 private:
  class Request : public HttpRequest {
   public:
    explicit Request(ScriptedClient& client) : c_(client) {}
    bool Send() override {
      a_ = c_.answers.at(c_.sends++);
      next_ = 0;
      if (a_.failure) failure_ = *a_.failure;
      return !a_.failure;
    }
    void SetProxyCredentials(const std::string& u, const std::string& p) override {
      c_.credentials = u + ":" + p;
    }
    int StatusCode() const override { return a_.status; }
    std::optional<std::string> ContentLength() const override { return a_.length; }
    std::string ProxyName() const override { return "proxy:3128"; }
    HttpRead Read(char* buffer, std::size_t size, std::size_t* got) override {
      ++c_.reads;
      c_.blockSize = size;
      *got = 0;
      if (next_ == a_.blocks.size()) return a_.last;
      const std::size_t n = std::min(size, a_.blocks[next_++]);
      if (n == 0) return HttpRead::kWaiting;
      std::memset(buffer, 'x', n);
      *got = n;
      return HttpRead::kData;
    }
    const HttpFailure& Failure() const override { return failure_; }

   private:
    ScriptedClient& c_;
    Answer a_;
    std::size_t next_ = 0;
    HttpFailure failure_;
  };
};

class ScriptedEnv : public testing::FakeEnv {
 public:
  ScriptedClient client;
  HttpClient& Http() override { return client; }
};

// One download against the scripted client, with its records.
struct Download {
  ScriptedEnv env;
  testing::RecordedContext rc;
  std::string status, body;

  ExportErrorCode Get(std::vector<Answer> answers) {
    env.client.answers = std::move(answers);
    HttpGetRequest request;
    request.url = "https://anbieter.example/daten";
    request.extraHeaders = "X-Eins: 1\r\nX-Zwei: 2";
    request.timeoutSeconds = 30;
    RunContext ctx{env, rc.ui, rc.reporter, 0};
    return rc.Keep(HttpGetToStream(ctx, request, &status, &body));
  }
};

const std::string kIncomplete =
    "Fehler bei Download: Die angeforderte Datei wurde nur unvollst\xE4ndig geladen (";

TEST(HttpRules, AnswersGiveTheirResults) {
  using Code = ExportErrorCode;
  const HttpFailure refused{7, "Failed to connect"};
  const HttpFailure slow{kHttpTimeoutErrorNumber, "Operation too slow"};
  struct Case {
    const char* what;
    std::vector<Answer> answers;
    Code code;
    std::string status;
    std::vector<std::string> logs;
    std::size_t body;
    int positions;  // window opened, one per block, window closed
    int pumps;      // pauses in the data
  } cases[] = {
      {"whole body", {Body(200, "10", {4, 0, 0, 6})}, Code::kSuccess, "200", {}, 10, 4, 2},
      {"no status line", {Body(0, std::nullopt, {3})}, Code::kSuccess, "200", {}, 3, 3, 0},
      {"length with a tail", {Body(302, "3 Bytes", {3})}, Code::kSuccess, "302", {}, 3, 3, 0},
      {"shorter than announced", {Body(200, "10", {4})}, Code::kInternetIncompleteFile, "200",
       {kIncomplete + "4 Bytes geladen)"}, 4, 3, 0},
      {"broken off", {Body(200, std::nullopt, {5}, HttpRead::kFailed)},
       Code::kInternetIncompleteFile, "200", {kIncomplete + "5 Bytes geladen)"}, 5, 3, 0},
      {"nothing", {Body(200, "0", {})}, Code::kInternetIncompleteFile, "200",
       {kIncomplete + "0 Bytes geladen)"}, 0, 2, 0},
      {"302 without a body", {Body(302, std::nullopt, {})}, Code::kInternetIncompleteFile, "302",
       {kIncomplete + "0 Bytes geladen)"}, 0, 2, 0},
      {"no answer", {NoAnswer(refused)}, Code::kInternetOpenUrl, "",
       {"WinINet-Systemfehler: 7-Failed to connect"}, 0, 0, 0},
      {"time-out", {NoAnswer(slow)}, Code::kInternetOpenUrl, "",
       {"WinINet-Systemfehler: " + std::to_string(kHttpTimeoutErrorNumber) +
        ":Zeit\xFC" "berschreitung (TimeOut)"}, 0, 0, 0},
      {"error page", {Body(404, "20", {20})}, Code::kInternetPageNotFound, "404",
       {"HTTP-Fehler 404: Die Seite wurde nicht gefunden."}, 0, 0, 0},
      {"proxy wants credentials", {Body(407, std::nullopt, {}), Body(200, "2", {2})},
       Code::kSuccess, "200", {}, 2, 3, 0},
  };
  for (const auto& c : cases) {
    Download run;
    run.rc.ui.proxyAnswers = {ProxyCredentials::kGiven};
    EXPECT_EQ(run.Get(c.answers), c.code) << c.what;
    EXPECT_EQ(run.status, c.status) << c.what;
    EXPECT_EQ(run.rc.Texts(3), c.logs) << c.what;
    EXPECT_EQ(run.body.size(), c.body) << c.what;
    EXPECT_EQ(run.rc.Count(2), c.positions) << c.what;
    EXPECT_EQ(run.rc.ui.pumps, c.pumps) << c.what;
    EXPECT_EQ(run.env.client.sends, static_cast<int>(c.answers.size())) << c.what;
    const bool asked = c.answers[0].status == 407;
    EXPECT_EQ(run.rc.ui.proxiesAsked, std::vector<std::string>(asked, "proxy:3128")) << c.what;
    EXPECT_EQ(run.env.client.credentials, asked ? "user:pass" : "") << c.what;
  }
}

TEST(HttpRules, TheRequestCarriesNoCacheHeadersAndTheExtraLines) {
  Download run;
  run.env.client.opens = false;
  EXPECT_EQ(run.Get({}), ExportErrorCode::kInternetSession);
  EXPECT_EQ(run.rc.Texts(3),
            std::vector<std::string>{"WinINet-Systemfehler: 2-Failed initialization"});
  const HttpGet& get = run.env.client.get;
  EXPECT_EQ(get.headers, (std::vector<std::string>{"Cache-Control: no-cache", "Pragma: no-cache",
                                                   "X-Eins: 1", "X-Zwei: 2"}));
  EXPECT_EQ(get.userAgent, "Tarvo-Korvun");
  EXPECT_EQ(get.timeoutSeconds, 30);
}

TEST(HttpRules, CancelStopsReadingAfterTheBlock) {
  Download run;
  run.rc.ui.cancelOnCheck = 2;
  EXPECT_EQ(run.Get({Body(200, "30", {10, 10, 10})}), ExportErrorCode::kDownloadCancelled);
  EXPECT_EQ(run.body.size(), 20u);
  EXPECT_EQ(run.env.client.reads, 2);
  EXPECT_EQ(run.env.client.blockSize, 65535u);
  EXPECT_EQ(run.status, "200");
  EXPECT_EQ(run.rc.Texts(3), std::vector<std::string>{"Download durch Benutzer abgebrochen"});
  EXPECT_EQ(run.rc.ui.shown, (std::vector<std::string>{"progress-show", "progress-hide"}));
}

// A data file whose body breaks off after two blocks, without a length:
// -7, and the part of the archive written so far is gone.
TEST(HttpRules, BrokenOffDataFileLeavesNoFile) {
  Download run;
  run.env.client.answers = {Body(200, std::nullopt, {65535, 65535}, HttpRead::kFailed)};
  testing::TempDir data;
  RunContext ctx{run.env, run.rc.ui, run.rc.reporter, 0};
  FetchRequest request;
  request.url = "https://anbieter.example/daten";
  request.archiveName = "bestaende.zip";
  request.dataDir = data.Path();
  EXPECT_EQ(run.rc.Keep(FetchDataFile(ctx, request)), ExportErrorCode::kInternetIncompleteFile);
  EXPECT_EQ(run.env.client.reads, 3);
  EXPECT_EQ(testing::ListDir(data.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace korvun
