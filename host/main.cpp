// korvun-zuv: a command-line host for the plug-in. It loads the library and
// calls nothing but its exports, as the host application does.
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
constexpr char kPathSeparator = '\\';
#else
#include <unistd.h>
constexpr char kPathSeparator = '/';
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/library_loader.hpp"
#include "host/profile.hpp"
#include "base/ole_date.hpp"
#include "base/program_version.hpp"
#include "base/text_encoding.hpp"

namespace {

using korvun::Cp1252ToUtf8;
using korvun::Utf8ToCp1252;

const char* kHelp =
    "korvun-zuv - Kommandozeilen-Host des ZUV-Import-Plug-ins\n"
    "\n"
    "Aufruf:\n"
    "  korvun-zuv [--library PFAD] version\n"
    "      Schnittstellen- und Import-Version des Plug-ins.\n"
    "  korvun-zuv [--library PFAD] message CODE\n"
    "      Die deutsche Meldung zu einem Ergebniscode.\n"
    "  korvun-zuv [--library PFAD] export --xml-dir VERZ [--berater-ref REF]\n"
    "             [--profile DATEI | --access DATEI|-] [--last-import JJJJ-MM-TT|0]\n"
    "             [--embedded-db] [--no-message-boxes] [--verbose]\n"
    "      Ein Datenabruf: holt die Depotdaten bei der ZUV und schreibt VERZ/ZUV.XML.\n"
    "      --profile      Profil eines Vermittlers (Zugangsdaten, Berater-Referenz,\n"
    "                     letzter Import, VersionLastUsed); nach Ergebnis 0 fortgeschrieben.\n"
    "      --access       Zugangsdaten als Zeilen Name=Wert (UserLogin, Password,\n"
    "                     VerBerNr, VersionLastUsed, EmbeddedIBServer, NoMessageBoxes);\n"
    "                     '-' liest sie von der Standardeingabe.\n"
    "      --last-import  Datum des letzten Imports, 0 (Vorgabe) fuer den Erst-Import.\n"
    "      --embedded-db  die Staging-Datenbank wird eingebettet geoeffnet\n"
    "                     (EmbeddedIBServer=TRUE, kein Datenbankserver noetig).\n"
    "      --no-message-boxes  keine Fenster und Rueckfragen (NoMessageBoxes=TRUE).\n"
    "      --verbose      zeigt auch die Protokollzeilen des Plug-ins.\n"
    "  korvun-zuv [--library PFAD] profile edit DATEI\n"
    "      Login-ID und PIN eines Profils im Zugangsdaten-Dialog bearbeiten.\n"
    "  korvun-zuv init-db PFAD\n"
    "      Legt eine leere Staging-Datenbank an (PFAD oder host[/port]:PFAD).\n"
    "  korvun-zuv --help | --version\n"
    "\n"
    "Die Bibliothek wird neben dem Programm, in ../lib und im installierten\n"
    "Bibliotheksordner gesucht, sonst --library.\n"
    "Einstellungen liest das Plug-in aus $KORVUN_REGISTRY oder /etc/korvun/registry.reg.\n"
    "Exit-Code 0 nur bei Ergebnis 0.\n";

bool g_verbose = false;
bool g_progressOnTty = false;
int g_lastPosition = -1;

void EndProgressLine() {
  if (g_progressOnTty && g_lastPosition >= 0) std::fputc('\n', stderr);
  g_lastPosition = -1;
}

void KORVUN_ZUV_CALL ProgressPrinter(int32_t kind, int32_t value, const char* text) {
  const std::string utf8 = Cp1252ToUtf8(text ? text : "");
  switch (kind) {
    case 1:
    case 4:
      EndProgressLine();
      std::fprintf(stderr, "%s\n", utf8.c_str());
      break;
    case 2:
      if (value == g_lastPosition) break;
      if (g_progressOnTty) {
        std::fprintf(stderr, "\rFortschritt: %3d %%", value);
      } else if (g_lastPosition < 0 || value / 10 != g_lastPosition / 10) {
        // Into a log, every tenth percent is enough.
        std::fprintf(stderr, "Fortschritt: %d %%\n", value);
      } else {
        break;
      }
      g_lastPosition = value;
      break;
    case 3:
      if (g_verbose) {
        EndProgressLine();
        std::fprintf(stderr, "Protokoll: %s\n", utf8.c_str());
      }
      break;
    default:
      break;
  }
  std::fflush(stderr);
}

bool IsValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3
                                : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

// Arguments typed in a UTF-8 terminal become Windows-1252 for the library.
std::string ToLibraryText(const std::string& s) { return IsValidUtf8(s) ? Utf8ToCp1252(s) : s; }

std::string PrintableMessage(const korvun::host::PluginExports& x, int32_t code) {
  std::vector<char> buffer(1024, '\0');
  if (x.GetExportErrorMsg(code, buffer.data()) != 0) return {};
  // Terminal lines end with LF alone.
  std::string text;
  const std::string raw = buffer.data();
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r') {
      text += '\n';
      if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
    } else {
      text += raw[i];
    }
  }
  return Cp1252ToUtf8(text);
}

int CmdVersion(const korvun::host::PluginExports& x) {
  unsigned char version[256] = {};
  x.ImportVersionInfo(version);
  std::string importVersion(reinterpret_cast<char*>(version + 1), version[0]);
  std::printf("Schnittstellen-Version: %d\nImport: ZUV %s\n", x.VersionInfo(),
              importVersion.c_str());
  return 0;
}

int CmdMessage(const korvun::host::PluginExports& x, const std::string& codeText) {
  char* end = nullptr;
  const long code = std::strtol(codeText.c_str(), &end, 10);
  if (codeText.empty() || *end != '\0') {
    std::fprintf(stderr, "Kein Ergebniscode: %s\n", codeText.c_str());
    return 2;
  }
  const std::string message = PrintableMessage(x, static_cast<int32_t>(code));
  if (message.empty()) {
    std::fprintf(stderr, "Zum Code %ld gibt es keine Meldung.\n", code);
    return 1;
  }
  std::printf("%s\n", message.c_str());
  return 0;
}

bool ParseDate(const std::string& text, double* date) {
  if (text == "0") {
    *date = 0;
    return true;
  }
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return false;
  char ymd[16];
  std::snprintf(ymd, sizeof ymd, "%04d%02d%02d", y, m, d);
  *date = korvun::OleFromYmdText(ymd);
  return *date != 0;
}

bool ReadAccess(const std::string& source, std::string* text) {
  std::stringstream buf;
  if (source == "-") {
    buf << std::cin.rdbuf();
  } else {
    std::ifstream in(source, std::ios::binary);
    if (!in) return false;
    buf << in.rdbuf();
  }
  *text = ToLibraryText(buf.str());
  return true;
}

// The options of "export", and what a profile adds to them.
struct ExportOptions {
  std::string xmlDir, beraterRef, access, profilePath;
  bool haveAccess = false, haveLastImport = false, embeddedDb = false, noMessageBoxes = false;
  double lastImport = 0;
};

// Reads the options; 0, or the program's exit code on a wrong one.
int ParseExportOptions(const std::vector<std::string>& args, ExportOptions* o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--xml-dir" && value(&v)) {
      o->xmlDir = v;
    } else if (a == "--berater-ref" && value(&v)) {
      o->beraterRef = v;
    } else if (a == "--last-import" && value(&v)) {
      if (!ParseDate(v, &o->lastImport)) {
        std::fprintf(stderr, "Ungueltiges Datum: %s (erwartet JJJJ-MM-TT oder 0)\n", v.c_str());
        return 2;
      }
      o->haveLastImport = true;
    } else if (a == "--profile" && value(&v)) {
      o->profilePath = v;
    } else if (a == "--embedded-db") {
      o->embeddedDb = true;
    } else if (a == "--no-message-boxes") {
      o->noMessageBoxes = true;
    } else if (a == "--access" && value(&v)) {
      if (!ReadAccess(v, &o->access)) {
        std::fprintf(stderr, "Zugangsdaten nicht lesbar: %s\n", v.c_str());
        return 2;
      }
      o->haveAccess = true;
    } else if (a == "--verbose") {
      g_verbose = true;
    } else {
      std::fprintf(stderr, "Unbekannte oder unvollstaendige Option: %s\n\n%s", a.c_str(), kHelp);
      return 2;
    }
  }
  return 0;
}

// Fills what the options left open from the profile, or adds the flags to
// the access data read from a file; 0, or the exit code.
int MergeProfile(ExportOptions* o, korvun::host::Profile* profile) {
  if (o->profilePath.empty()) {
    if (o->haveAccess) {
      if (o->embeddedDb) o->access += "\r\nEmbeddedIBServer=TRUE";
      if (o->noMessageBoxes) o->access += "\r\nNoMessageBoxes=TRUE";
    }
    return 0;
  }
  std::string error;
  if (!korvun::host::LoadProfile(o->profilePath, profile, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  if (o->beraterRef.empty()) o->beraterRef = profile->beraterRef;
  if (!o->haveLastImport && !ParseDate(profile->lastImport, &o->lastImport)) {
    std::fprintf(stderr, "Ungueltiges LastImport im Profil: %s\n", profile->lastImport.c_str());
    return 2;
  }
  if (!o->haveAccess) {
    o->access = ToLibraryText(korvun::host::AccessTextOf(*profile, o->embeddedDb, o->noMessageBoxes));
    o->haveAccess = true;
  }
  return 0;
}

// As the host application does: a lowered date is kept at once; after
// success the written file's date and version become the new state.
void SaveProfileAfterRun(const ExportOptions& o, korvun::host::Profile profile, int32_t result,
                         bool lowered) {
  if (lowered) profile.lastImport = korvun::IsoDateText(o.lastImport);
  std::string importDate, version;
  if (result == 0 &&
      korvun::host::ReadImportFileFacts(o.xmlDir + kPathSeparator + "ZUV.XML", &importDate, &version)) {
    profile.lastImport = importDate;
    profile.versionLastUsed = version;
  }
  std::string error;
  if (!korvun::host::SaveProfile(o.profilePath, profile, &error)) std::fprintf(stderr, "%s\n", error.c_str());
}

int CmdExport(const korvun::host::PluginExports& x, const std::vector<std::string>& args) {
  ExportOptions o;
  korvun::host::Profile profile;
  if (const int wrong = ParseExportOptions(args, &o)) return wrong;
  if (const int wrong = MergeProfile(&o, &profile)) return wrong;
  if (o.xmlDir.empty() || o.beraterRef.empty()) {
    std::fprintf(stderr, "--xml-dir und --berater-ref (oder ein Profil mit BeraterRef) sind "
                         "erforderlich.\n\n%s", kHelp);
    return 2;
  }
  g_progressOnTty = ::isatty(2) != 0;
  x.RegProgrCallback(ProgressPrinter);
  const double before = o.lastImport;
  const std::string libXmlDir = ToLibraryText(o.xmlDir), libRef = ToLibraryText(o.beraterRef);
  const int32_t result = x.ExportXML(libXmlDir.c_str(), libRef.c_str(), 0, &o.lastImport,
                                     o.haveAccess ? o.access.c_str() : nullptr);
  EndProgressLine();
  x.RegProgrCallback(nullptr);
  const bool lowered = o.lastImport != before;
  if (lowered)
    std::fprintf(stderr, "Datum des letzten Imports gesenkt auf %s\n",
                 korvun::IsoDateText(o.lastImport).c_str());
  if (!o.profilePath.empty() && (result == 0 || lowered)) SaveProfileAfterRun(o, profile, result, lowered);
  if (result == 0) {
    std::printf("Ergebnis 0: %s%cZUV.XML geschrieben.\n", o.xmlDir.c_str(), kPathSeparator);
    return 0;
  }
  const std::string message = PrintableMessage(x, result);
  std::printf("Ergebnis %d%s%s\n", result, message.empty() ? "" : ":\n",
              message.c_str());
  return 1;
}

int CmdProfileEdit(const korvun::host::PluginExports& x, const std::string& path) {
  korvun::host::Profile profile;
  std::string error;
  if (!korvun::host::LoadProfile(path, &profile, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  std::vector<char> login(128, '\0'), pin(128, '\0'), extra(4096, '\0');
  auto fill = [](std::vector<char>& buffer, const std::string& utf8) {
    const std::string text = ToLibraryText(utf8);
    std::memcpy(buffer.data(), text.data(), std::min(text.size(), buffer.size() - 1));
  };
  fill(login, profile.userLogin);
  fill(pin, profile.password);
  fill(extra, profile.extra);
  if (x.ApiDataDialog(login.data(), pin.data(), extra.data()) != 1) {
    std::printf("Abgebrochen, Profil unveraendert.\n");
    return 1;
  }
  profile.userLogin = Cp1252ToUtf8(login.data());
  profile.password = Cp1252ToUtf8(pin.data());
  profile.extra = Cp1252ToUtf8(extra.data());
  if (!korvun::host::SaveProfile(path, profile, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::printf("Profil gespeichert: %s\n", path.c_str());
  return 0;
}

}  // namespace

int RunInitDbCommand(const std::vector<std::string>& args);

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string libraryPath;
  if (args.size() >= 2 && args[0] == "--library") {
    libraryPath = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    std::fprintf(stderr, "%s", kHelp);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::printf("%s", kHelp);
    return 0;
  }
  if (args[0] == "--version") {
    korvun::PrintProgramVersion("korvun-zuv");
    return 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "init-db") return RunInitDbCommand(args);

  korvun::host::PluginLibrary library;
  std::string error;
  if (!library.Load(libraryPath, &error)) {
    std::fprintf(stderr, "Plug-in nicht geladen: %s\n", error.c_str());
    return 3;
  }
  const auto& x = library.exports();
  if (command == "version") return CmdVersion(x);
  if (command == "message" && args.size() == 1) return CmdMessage(x, args[0]);
  if (command == "export") return CmdExport(x, args);
  if (command == "profile" && args.size() == 2 && args[0] == "edit") return CmdProfileEdit(x, args[1]);
  std::fprintf(stderr, "Unbekannter Befehl: %s\n\n%s", command.c_str(), kHelp);
  return 2;
}
