#include "plugin/access_data.hpp"

#include <vector>

#include "base/strings.hpp"

namespace korvun {
namespace {

std::string ValueOf(const std::vector<std::string_view>& lines, std::string_view name) {
  for (const std::string_view line : lines) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (EqualsIgnoreCase(line.substr(0, eq), name)) return std::string(TrimControl(line.substr(eq + 1)));
  }
  return {};
}

}  // namespace

bool ParseFlag(const std::string& value) {
  // Blanks and control characters count as padding.
  return AsciiUpper(TrimControl(value)) == "TRUE";
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
