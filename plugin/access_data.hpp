// The access data the host passes with every run as name=value lines.
#pragma once

#include <string>

namespace korvun {

struct AccessData {
  std::string userLogin;
  std::string password;
  std::string verBerNr;
  std::string versionLastUsed;
  bool embeddedIbServer = false;
  bool noMessageBoxes = false;
};

AccessData ParseAccessData(const std::string& accessText);

// True only for "TRUE" in any case, blanks around it allowed.
bool ParseFlag(const std::string& value);

}  // namespace korvun
