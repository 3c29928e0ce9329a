// The simulator checks what it is sent as the provider would.
#include <gtest/gtest.h>

#include "tests/transfer/sim_fixture.hpp"
#include "transfer/http_download.hpp"

namespace korvun {
namespace {

class Simulator : public testing::SimTest {
 protected:
  std::string Answer(std::string params, bool encode = true) {
    if (encode) {
      EXPECT_EQ(EncodeRequestParams(Env::Default().Crypto(), params), 0);
    }
    HttpGetRequest request;
    request.url = Sim().Url() + "?params=" + params;
    std::string status, body;
    EXPECT_TRUE(HttpGetToStream(rc_.ctx, request, &status, &body).ok());
    return body;
  }
};

TEST_F(Simulator, ChecksVersionFileAndEncoding) {
  StartSim();
  const std::string today = testing::LocalYmd();
  EXPECT_EQ(Answer("file=bestaende;loginid=ZUVTEST;pin=geheim;version=2.1;timestamp=" + today),
            "Fehler 40 - Schnittstellenversion 2.1 veraltet");
  EXPECT_EQ(Answer("file=kunden;loginid=ZUVTEST;pin=geheim;version=2.2;timestamp=" + today),
            "Fehler 50 - Unbekannte Datei kunden");
  EXPECT_EQ(Answer("loginid=ZUVTEST;file=bestaende;pin=geheim;version=2.2;timestamp=" + today),
            "Fehler 99 - Anfrage nicht lesbar");
  EXPECT_EQ(Answer("YWJj", false), "Fehler 99 - Anfrage nicht lesbar");
  EXPECT_EQ(Answer("file=bestaende;loginid=ZUVTEST;pin=geheim;version=2.2;timestamp=" + today)
                .rfind("PK", 0),
            0u);
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_NE(log[2].find("\"decoded\":false"), std::string::npos);
  for (const auto& line : log) EXPECT_EQ(line.find("geheim"), std::string::npos) << line;
}

TEST_F(Simulator, PinWithSeparatorsIsDecoded) {
  sim::SimulatorOptions options;
  options.pin = "a;b=c";
  StartSim("", options);
  const std::string body =
      Answer("file=bestaende;loginid=ZUVTEST;pin=a;b=c;version=2.2;timestamp=" + testing::LocalYmd());
  EXPECT_EQ(body.rfind("PK", 0), 0u) << body;
}

}  // namespace
}  // namespace korvun
