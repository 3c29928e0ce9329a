#include "host/profile.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "host/private_file.hpp"

namespace korvun::host {
namespace {

// Values are single lines; line breaks inside would split them on reading.
std::string OneLine(const std::string& v) {
  std::string out;
  for (char c : v)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

std::string Between(const std::string& text, const std::string& open, const std::string& close) {
  const auto b = text.find(open);
  if (b == std::string::npos) return {};
  const auto start = b + open.size();
  const auto e = text.find(close, start);
  return e == std::string::npos ? std::string() : text.substr(start, e - start);
}

}  // namespace

bool LoadProfile(const std::string& path, Profile* p, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return true;
    *error = "Profil nicht lesbar: " + path + " (" + std::strerror(errno) + ")";
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq), value = line.substr(eq + 1);
    if (name == "UserLogin") p->userLogin = value;
    else if (name == "Password") p->password = value;
    else if (name == "BeraterRef") p->beraterRef = value;
    else if (name == "VerBerNr") p->verBerNr = value;
    else if (name == "Extra") p->extra = value;
    else if (name == "LastImport") p->lastImport = value;
    else if (name == "VersionLastUsed") p->versionLastUsed = value;
  }
  return true;
}

bool SaveProfile(const std::string& path, const Profile& p, std::string* error) {
  std::ostringstream text;
  text << "# korvun-zuv: Zugangsdaten und Stand eines Vermittlers\n"
       << "UserLogin=" << OneLine(p.userLogin) << "\n"
       << "Password=" << OneLine(p.password) << "\n"
       << "BeraterRef=" << OneLine(p.beraterRef) << "\n"
       << "VerBerNr=" << OneLine(p.verBerNr) << "\n"
       << "Extra=" << OneLine(p.extra) << "\n"
       << "LastImport=" << OneLine(p.lastImport) << "\n"
       << "VersionLastUsed=" << OneLine(p.versionLastUsed) << "\n";
  const std::string data = text.str();

  return WritePrivateFileAtomically(path, data, error);
}

std::string AccessTextOf(const Profile& p, bool embeddedDb, bool noMessageBoxes) {
  std::string text = "UserLogin=" + p.userLogin + "\r\n";
  if (!p.password.empty()) text += "Password=" + p.password + "\r\n";
  text += "VerBerNr=" + p.verBerNr + "\r\n";
  text += "VersionLastUsed=" + p.versionLastUsed + "\r\n";
  if (embeddedDb) text += "EmbeddedIBServer=TRUE\r\n";
  if (noMessageBoxes) text += "NoMessageBoxes=TRUE\r\n";
  return text;
}

bool ReadImportFileFacts(const std::string& xmlPath, std::string* importDate,
                         std::string* versionLastUsed) {
  std::ifstream in(xmlPath, std::ios::binary);
  if (!in) return false;
  // The header comes first; no need to read a large file whole.
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  *importDate = Between(head, "<I_Datum>", "</I_Datum>");
  const std::string param = Between(head, "<PARAM>", "</PARAM>");
  const std::string prefix = "VersionLastUsed=";
  *versionLastUsed = param.rfind(prefix, 0) == 0 ? param.substr(prefix.size()) : "";
  return !importDate->empty();
}

}  // namespace korvun::host
