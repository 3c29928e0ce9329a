// German texts of the internet result codes (Windows-1252).
#pragma once

namespace korvun {

// The message for -1..-9 and -1015, nullptr for every other code.
inline const char* InternetErrorText(int code) {
  switch (code) {
    case -1: return "Unbestimmter Fehler bei Internet-Zugriff";
    case -2: return "Internet-Fehler: Session nicht verf\xFC" "gbar";
    case -3: return "Internet-Fehler: \xD6" "ffnen der URL fehlgeschlagen";
    case -4: return "Internet-Fehler: Zugriff auf Seite verweigert";
    case -5: return "Internet-Fehler: Seite nicht gefunden";
    case -6: return "Internet-Fehler: Zugriff auf URL fehlgeschlagen";
    case -7: return "Internet-Fehler: Datei unvollst\xE4ndig \xFC" "bertragen";
    case -8: return "Internet-Fehler: Server \xFC" "berlastet. Bitte sp\xE4ter erneut versuchen";
    case -9: return "Proxy-Fehler: Authentifizierung erforderlich";
    case -1015: return "Download durch Benutzer abgebrochen";
    default: return nullptr;
  }
}

}  // namespace korvun
