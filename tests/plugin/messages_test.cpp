#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "plugin/messages.hpp"

namespace korvun {
namespace {

const CivilDate kToday{2026, 12, 7};

using Code = ExportErrorCode;

std::string Message(Code code, ErrorDetails d = {}) {
  auto m = ErrorMessage(CodeValue(code), d, kToday);
  return m ? *m : "<none>";
}

TEST(MessagesTest, CodesWithoutMessage) {
  for (int code : {0, -10, -16, -20, -24, -27, -36, -1016, 1})
    EXPECT_FALSE(ErrorMessage(code, {}, kToday).has_value()) << code;
}

TEST(MessagesTest, MessageCodesAreExactlyTheCodesWithAMessage) {
  std::vector<int32_t> answered;
  for (int32_t code = -2000; code <= 10; ++code)
    if (ErrorMessage(code, {}, kToday)) answered.push_back(code);
  std::vector<int32_t> listed = MessageCodes();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, answered);
}

TEST(MessagesTest, InternetTextsInWindows1252) {
  EXPECT_EQ(Message(Code::kInternetSession), "Internet-Fehler: Session nicht verf\xFCgbar");
  EXPECT_EQ(Message(Code::kInternetOpenUrl), "Internet-Fehler: \xD6" "ffnen der URL fehlgeschlagen");
  EXPECT_EQ(Message(Code::kInternetIncompleteFile), "Internet-Fehler: Datei unvollst\xE4ndig \xFC" "bertragen");
  EXPECT_EQ(Message(Code::kProxyAuthentication), "Proxy-Fehler: Authentifizierung erforderlich");
  EXPECT_EQ(Message(Code::kDownloadCancelled), "Download durch Benutzer abgebrochen");
}

TEST(MessagesTest, FixedTwoLineMessages) {
  EXPECT_EQ(Message(Code::kNoAccessData),
            "Keine ZUV-Zugangsdaten erfasst.\r\n"
            "Erfassen Sie bitte die ZUV-Zugangsdaten in der Beraterverwaltung.");
  EXPECT_EQ(Message(Code::kNoCentralNumber),
            "Die Nummer der Vermittlerzentrale fehlt in den ZUV-Zugangsdaten.\r\n"
            "Erfassen Sie bitte die Nummer der Vermittlerzentrale in der Beraterverwaltung.");
  EXPECT_EQ(Message(Code::kNoPassword), "Fehlendes Zugangs-Passwort; Abbruch durch Benutzer.");
}

TEST(MessagesTest, FirstImportWithoutCustomersIs423Characters) {
  const std::string m = Message(Code::kNoCustomerData);
  EXPECT_EQ(m.size(), 423u);
  EXPECT_EQ(m.substr(0, 2), "\r\n");
  EXPECT_NE(m.find("Ihre Vermittlernummer (\"Berater-Referenz-Nr.\") in der Beraterverwaltung."
                   "\r\n\r\nHINWEIS:"),
            std::string::npos);
  EXPECT_EQ(m.substr(m.size() - 24), "Ihre Vermittlerzentrale.");
}

TEST(MessagesTest, WrongIntermediaryNumberQuotesTheWholeReference) {
  const std::string ref = "1234567890123456-77";
  const std::string m = Message(Code::kBeraterRefTooLong, {0, ref});
  EXPECT_EQ(m.size(), 300 + ref.size());
  EXPECT_EQ(m.rfind("Fehlerhafte Vermittlernummer: " + ref + "\r\n", 0), 0u);
  EXPECT_NE(m.find("h\xF6" "chstens 15-stellige Zahl sein !\r\n"), std::string::npos);
  EXPECT_EQ(m.substr(m.find("Beachten")),
            "Beachten Sie hierzu die Anleitung, die Sie \xFC" "ber \"... bearbeiten\", Button "
            "\"Anleitung\" abrufen k\xF6nnen.");
}

TEST(MessagesTest, EncodingStatusIsInserted) {
  EXPECT_EQ(Message(Code::kEncodeHoldings, {-1, ""}), "Fehler beim Codieren der Datenabfrage: Errorcode = -1");
  EXPECT_EQ(Message(Code::kEncodeTransactions, {3, ""}), "Fehler beim Codieren der Datenabfrage: Errorcode = 3");
}

TEST(MessagesTest, ProviderMessages) {
  EXPECT_EQ(Message(Code::kProviderLogin, {10, "egal"}),
            "Fehler bei ZUV-Datenabruf: ZUV-Zugangsdaten (Login, PIN) fehlerhaft; Errorcode = 10"
            "\r\nBitte \xFC" "berpr\xFC" "fen Sie Ihre Zugangsdaten in der Beraterverwaltung.");
  EXPECT_EQ(Message(Code::kProviderTimestamp, {20, ""}),
            "Fehler bei ZUV-Datenabruf: ; Errorcode = 20\r\n"
            "Bitte Datum-/Uhrzeiteinstellungen \xFC" "berpr\xFC" "fen (Ihr Systemdatum = 07.12.2026)");
  EXPECT_EQ(Message(Code::kProviderError, {77, "Unbekannt"}), "Fehler bei ZUV-Datenabruf: Unbekannt; Errorcode = 77");
  EXPECT_EQ(Message(Code::kProviderError50, {50, "X"}), "Fehler bei ZUV-Datenabruf: X; Errorcode = 50");
  EXPECT_EQ(Message(Code::kProviderTryLater, {30, "Wartung"}),
            "Fehler bei ZUV-Datenabruf: Wartung; Errorcode = 30\r\n"
            "Bitte versuchen Sie den Datenabruf sp\xE4ter nochmals.");
  EXPECT_EQ(Message(Code::kProviderOutdated, {40, "alt"}),
            "Fehler bei ZUV-Datenabruf: alt; Errorcode = 40\r\n"
            "Bitte Update der ZUV-Schnittstelle installieren.");
  EXPECT_EQ(Message(Code::kUnzipFailed, {0, "bestaende.zip"}),
            "Fehler beim Entpacken des zip-Archivs: Datei = bestaende.zip");
  EXPECT_EQ(Message(Code::kDatabaseServer), "Fehler beim Erstellen der XML-Import-Datei.");
}

TEST(MessagesTest, UnexpectedFailure) {
  EXPECT_EQ(Message(Code::kUnexpectedFailure, {0, "Platte voll"}), "Unerwarteter Fehler: Platte voll");
}

TEST(MessagesTest, EveryMessageFitsTheDocumentedBufferWithDetailsAtTheirCap) {
  const ErrorDetails huge{-2147483647 - 1, std::string(5000, 'x')};
  for (int code = -1100; code <= 0; ++code) {
    auto m = ErrorMessage(code, huge, kToday);
    if (m) {
      EXPECT_LT(m->size(), kMaxMessageBytes) << code;
    }
  }
}

}  // namespace
}  // namespace korvun
