// The dialogs' texts, Windows-1252 bytes like every text of the core. Each
// face converts them for its display.
#pragma once

namespace korvun::ui_text {

// Access-data dialog.
inline constexpr const char* kAccessCaption = "ZUV-Zugangsdaten";
inline constexpr const char* kAccessVersion = "Schnittstellen-Version:";
inline constexpr const char* kAccessLogin = "Login-ID des Vermittlers";
inline constexpr const char* kAccessPin = "PIN des Vermittlers *";
inline constexpr const char* kAccessKey = "Nummer der Vermittlerzentrale (optional)";
inline constexpr const char* kAccessStar = "*";
inline constexpr const char* kAccessPinHint =
    "Wenn Sie die PIN hier nicht eingeben, wird bei jedem Abruf der Daten danach gefragt.";
inline constexpr const char* kAccessHelp = "Anleitung";
inline constexpr const char* kAccessCancel = "Abbrechen";
inline constexpr const char* kAccessOk = "OK";
// The manual, relative to the host program's folder.
inline constexpr const char* kManualRelativePath = "Korvun/ZUV/Die Schnittstelle zur ZUV.pdf";
// Texts longer than this are cut when the dialog takes them.
inline constexpr unsigned kAccessFieldLimit = 255;

// Password prompt.
inline constexpr const char* kPasswordCaptionSuffix = " Zugangsberechtigung";
inline constexpr const char* kPasswordAsk = "Bitte geben Sie die Zugangs-PIN zur Vermittler-Login-ID ";
inline constexpr const char* kPasswordInfoMiddle = "> f\xFCr die ";
inline constexpr const char* kPasswordInfoEnd = "-Depotschnittstelle ein: ";
inline constexpr const char* kPasswordOk = "Ok";
inline constexpr const char* kPasswordCancel = "Abbrechen";

// Download progress window.
inline constexpr const char* kProgressCaption = "Info";
inline constexpr const char* kProgressRunning = "Download l\xE4uft ...";
inline constexpr const char* kProgressCancelling = "Download wird abgebrochen !";
inline constexpr const char* kProgressCancelButton = "Download abbrechen";

// Information box.
inline constexpr const char* kInformationOk = "OK";

// Proxy credentials prompt.
inline constexpr const char* kProxyCaption = "Proxy-Anmeldung";
inline constexpr const char* kProxyAskStart = "Der Proxy-Server ";
inline constexpr const char* kProxyAskEnd = " verlangt eine Anmeldung.";
inline constexpr const char* kProxyUser = "Benutzername";
inline constexpr const char* kProxyPassword = "Kennwort";
inline constexpr const char* kProxyOk = "OK";
inline constexpr const char* kProxyCancel = "Abbrechen";

}  // namespace korvun::ui_text
