#include "plugin/access_data.hpp"

#include <cctype>
#include <vector>

namespace korvun {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Blanks and control characters count as padding.
std::string TrimPadding(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string ValueOf(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (EqualsIgnoreCase(line.substr(0, eq), name)) return TrimPadding(line.substr(eq + 1));
  }
  return {};
}

}  // namespace

bool ParseFlag(const std::string& value) {
  std::string v = TrimPadding(value);
  for (char& c : v) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return v == "TRUE";
}

AccessData ParseAccessData(const std::string& accessText) {
  const auto lines = SplitLines(accessText);
  AccessData data;
  data.userLogin = ValueOf(lines, "UserLogin");
  data.password = ValueOf(lines, "Password");
  data.verBerNr = ValueOf(lines, "VerBerNr");
  data.versionLastUsed = ValueOf(lines, "VersionLastUsed");
  data.embeddedIbServer = ParseFlag(ValueOf(lines, "EmbeddedIBServer"));
  data.noMessageBoxes = ParseFlag(ValueOf(lines, "NoMessageBoxes"));
  return data;
}

}  // namespace korvun
