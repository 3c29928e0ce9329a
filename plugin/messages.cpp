#include "plugin/messages.hpp"

#include "base/german_format.hpp"
#include "base/strings.hpp"

namespace korvun {
namespace {

using Code = ExportErrorCode;

// What a message may insert.
struct MessageInputs {
  const ErrorDetails& details;
  const CivilDate& today;
};

#define CRLF "\r\n"

std::string ProviderError(const MessageInputs& in) {
  return "Fehler bei ZUV-Datenabruf: " + in.details.text +
         "; Errorcode = " + std::to_string(in.details.code);
}

struct MessageRow {
  Code code;
  const char* text;                                  // the whole message, or its start
  std::string (*compose)(const MessageInputs& in);  // null: `text` alone
};

// Every code with a message, and its text. Detail texts arrive cut to their
// cap, so no message outgrows kMaxMessageBytes.
const MessageRow kMessages[] = {
    {Code::kInternetUnspecified, "Unbestimmter Fehler bei Internet-Zugriff", nullptr},
    {Code::kInternetSession, "Internet-Fehler: Session nicht verf\xFC" "gbar", nullptr},
    {Code::kInternetOpenUrl, "Internet-Fehler: \xD6" "ffnen der URL fehlgeschlagen", nullptr},
    {Code::kInternetAccessDenied, "Internet-Fehler: Zugriff auf Seite verweigert", nullptr},
    {Code::kInternetPageNotFound, "Internet-Fehler: Seite nicht gefunden", nullptr},
    {Code::kInternetUrlAccess, "Internet-Fehler: Zugriff auf URL fehlgeschlagen", nullptr},
    {Code::kInternetIncompleteFile, "Internet-Fehler: Datei unvollst\xE4ndig \xFC" "bertragen", nullptr},
    {Code::kInternetServerBusy,
     "Internet-Fehler: Server \xFC" "berlastet. Bitte sp\xE4ter erneut versuchen", nullptr},
    {Code::kProxyAuthentication, "Proxy-Fehler: Authentifizierung erforderlich", nullptr},
    {Code::kDownloadCancelled, "Download durch Benutzer abgebrochen", nullptr},
    {Code::kNoAccessData,
     "Keine ZUV-Zugangsdaten erfasst." CRLF
     "Erfassen Sie bitte die ZUV-Zugangsdaten in der Beraterverwaltung.",
     nullptr},
    {Code::kNoLoginId,
     "Die Login-ID des Vermittlers fehlt in den ZUV-Zugangsdaten." CRLF
     "Erfassen Sie bitte die Login-ID in der Beraterverwaltung.",
     nullptr},
    {Code::kNoCentralNumber,
     "Die Nummer der Vermittlerzentrale fehlt in den ZUV-Zugangsdaten." CRLF
     "Erfassen Sie bitte die Nummer der Vermittlerzentrale in der Beraterverwaltung.",
     nullptr},
    {Code::kBeraterRefTooLong, "Fehlerhafte Vermittlernummer: ",
     [](const MessageInputs& in) {
       return in.details.text +
              CRLF "Die Haupt-Vermittlernummer muss eine h\xF6" "chstens 15-stellige Zahl sein !" CRLF
              "Korrigieren Sie bitte Ihre Vermittlernummer = Berater-Referenznummer in der "
              "Beraterverwaltung." CRLF
              "Beachten Sie hierzu die Anleitung, die Sie \xFC" "ber \"... bearbeiten\", Button "
              "\"Anleitung\" abrufen k\xF6nnen.";
     }},
    {Code::kNoPassword, "Fehlendes Zugangs-Passwort; Abbruch durch Benutzer.", nullptr},
    {Code::kEncodeHoldings, "Fehler beim Codieren der Datenabfrage: Errorcode = ",
     [](const MessageInputs& in) { return std::to_string(in.details.code); }},
    {Code::kEncodeTransactions, "Fehler beim Codieren der Datenabfrage: Errorcode = ",
     [](const MessageInputs& in) { return std::to_string(in.details.code); }},
    {Code::kUnzipFailed, "Fehler beim Entpacken des zip-Archivs: Datei = ",
     [](const MessageInputs& in) { return in.details.text; }},
    {Code::kNoCustomerData,
     CRLF "Der Erst-Import ergibt keine Kundendaten zur Beraterkennung." CRLF
     "Korrigieren Sie bitte Ihre Vermittlernummer (\"Berater-Referenz-Nr.\") in der "
     "Beraterverwaltung." CRLF CRLF
     "HINWEIS: Die Berater-Referenznummer sollte NICHT die Nummer Ihrer "
     "Vermittlerzentrale enthalten," CRLF
     "sondern nur Ihre eigene Vermittlernummer, und ggf. Ihre Untervermittlernummer "
     "(siehe Anleitung)." CRLF
     "Bei Unklarheiten wenden Sie sich bitte an Ihre Vermittlerzentrale.",
     nullptr},
    {Code::kDatabaseServer, "Fehler beim Erstellen der XML-Import-Datei.", nullptr},
    {Code::kProviderError, "", &ProviderError},
    {Code::kProviderError50, "", &ProviderError},
    {Code::kProviderLogin,
     "Fehler bei ZUV-Datenabruf: ZUV-Zugangsdaten (Login, PIN) fehlerhaft; Errorcode = ",
     [](const MessageInputs& in) {
       return std::to_string(in.details.code) +
              CRLF "Bitte \xFC" "berpr\xFC" "fen Sie Ihre Zugangsdaten in der Beraterverwaltung.";
     }},
    {Code::kProviderTimestamp, "",
     [](const MessageInputs& in) {
       return ProviderError(in) +
              CRLF "Bitte Datum-/Uhrzeiteinstellungen \xFC" "berpr\xFC" "fen (Ihr Systemdatum = " +
              GermanFormat::Get().ShortDate(in.today) + ")";
     }},
    {Code::kProviderTryLater, "",
     [](const MessageInputs& in) {
       return ProviderError(in) + CRLF "Bitte versuchen Sie den Datenabruf sp\xE4ter nochmals.";
     }},
    {Code::kProviderOutdated, "",
     [](const MessageInputs& in) {
       return ProviderError(in) + CRLF "Bitte Update der ZUV-Schnittstelle installieren.";
     }},
    {Code::kUnexpectedFailure, "Unerwarteter Fehler: ",
     [](const MessageInputs& in) { return in.details.text; }},
};

#undef CRLF

const MessageRow* FindMessage(int32_t code) {
  for (const MessageRow& row : kMessages)
    if (CodeValue(row.code) == code) return &row;
  return nullptr;
}

bool IsInternetCode(int32_t code) {
  return (code <= CodeValue(Code::kInternetUnspecified) &&
          code >= CodeValue(Code::kProxyAuthentication)) ||
         code == CodeValue(Code::kDownloadCancelled);
}

}  // namespace

const char* InternetErrorText(int32_t code) {
  const MessageRow* row = IsInternetCode(code) ? FindMessage(code) : nullptr;
  return row ? row->text : nullptr;
}

std::vector<int32_t> MessageCodes() {
  std::vector<int32_t> codes;
  for (const MessageRow& row : kMessages) codes.push_back(CodeValue(row.code));
  return codes;
}

std::optional<std::string> ErrorMessage(int32_t code, const ErrorDetails& details,
                                        const CivilDate& today) {
  if (const char* internet = InternetErrorText(code)) return std::string(internet);
  const MessageRow* row = FindMessage(code);
  if (!row) return std::nullopt;
  // The host's buffer has no announced size: no detail may grow a message
  // past the documented maximum.
  const ErrorDetails cut{details.code, CutText(details.text)};
  std::string message = row->text;
  if (row->compose) message += row->compose(MessageInputs{cut, today});
  return message;
}

}  // namespace korvun
