#include "plugin/messages.hpp"

#include "plugin/german_format.hpp"
#include "transfer/internet_error_text.hpp"

namespace korvun {
namespace {

constexpr const char* kCrLf = "\r\n";

std::string ProviderError(const ErrorDetails& d) {
  return "Fehler bei ZUV-Datenabruf: " + d.text + "; Errorcode = " + std::to_string(d.code);
}

}  // namespace

std::optional<std::string> ErrorMessage(int32_t code, const ErrorDetails& details,
                                        const CivilDate& today) {
  // The host's buffer has no announced size: no detail may grow a message
  // past the documented maximum.
  ErrorDetails d = details;
  if (d.text.size() > kMaxDetailTextBytes) d.text.resize(kMaxDetailTextBytes);
  if (const char* internet = InternetErrorText(code)) return std::string(internet);

  const std::string crlf = kCrLf;
  switch (code) {
    case -11:
      return "Keine ZUV-Zugangsdaten erfasst." + crlf +
             "Erfassen Sie bitte die ZUV-Zugangsdaten in der Beraterverwaltung.";
    case -12:
      return "Die Login-ID des Vermittlers fehlt in den ZUV-Zugangsdaten." + crlf +
             "Erfassen Sie bitte die Login-ID in der Beraterverwaltung.";
    case -13:
      return "Die Nummer der Vermittlerzentrale fehlt in den ZUV-Zugangsdaten." + crlf +
             "Erfassen Sie bitte die Nummer der Vermittlerzentrale in der Beraterverwaltung.";
    case -14:
      return "Fehlerhafte Vermittlernummer: " + d.text + crlf +
             "Die Haupt-Vermittlernummer muss eine h\xF6" "chstens 15-stellige Zahl sein !" + crlf +
             "Korrigieren Sie bitte Ihre Vermittlernummer = Berater-Referenznummer in der "
             "Beraterverwaltung." +
             crlf +
             "Beachten Sie hierzu die Anleitung, die Sie \xFC" "ber \"... bearbeiten\", Button "
             "\"Anleitung\" abrufen k\xF6nnen.";
    case -15:
      return std::string("Fehlendes Zugangs-Passwort; Abbruch durch Benutzer.");
    case -21:
    case -22:
      return "Fehler beim Codieren der Datenabfrage: Errorcode = " + std::to_string(d.code);
    case -23:
      return "Fehler beim Entpacken des zip-Archivs: Datei = " + d.text;
    case -28:
      return crlf + "Der Erst-Import ergibt keine Kundendaten zur Beraterkennung." + crlf +
             "Korrigieren Sie bitte Ihre Vermittlernummer (\"Berater-Referenz-Nr.\") in der "
             "Beraterverwaltung." +
             crlf + crlf +
             "HINWEIS: Die Berater-Referenznummer sollte NICHT die Nummer Ihrer "
             "Vermittlerzentrale enthalten," +
             crlf +
             "sondern nur Ihre eigene Vermittlernummer, und ggf. Ihre Untervermittlernummer "
             "(siehe Anleitung)." +
             crlf + "Bei Unklarheiten wenden Sie sich bitte an Ihre Vermittlerzentrale.";
    case -29:
      return std::string("Fehler beim Erstellen der XML-Import-Datei.");
    case -30:
    case -35:
      return ProviderError(d);
    case -31:
      return "Fehler bei ZUV-Datenabruf: ZUV-Zugangsdaten (Login, PIN) fehlerhaft; Errorcode = " +
             std::to_string(d.code) + crlf +
             "Bitte \xFC" "berpr\xFC" "fen Sie Ihre Zugangsdaten in der Beraterverwaltung.";
    case -32:
      return ProviderError(d) + crlf +
             "Bitte Datum-/Uhrzeiteinstellungen \xFC" "berpr\xFC" "fen (Ihr Systemdatum = " +
             GermanFormat::Get().ShortDate(today) + ")";
    case -33:
      return ProviderError(d) + crlf + "Bitte versuchen Sie den Datenabruf sp\xE4ter nochmals.";
    case -34:
      return ProviderError(d) + crlf + "Bitte Update der ZUV-Schnittstelle installieren.";
    case -40:
      return "Unerwarteter Fehler: " + d.text;
    default:
      return std::nullopt;
  }
}

}  // namespace korvun
