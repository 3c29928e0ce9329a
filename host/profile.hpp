// The host's memory of one intermediary: access data, the date of the last
// import and the plug-in version that wrote it. Kept as name=value lines in
// UTF-8; written atomically and readable by the owner only (it may hold a PIN).
#pragma once

#include <string>

namespace korvun::host {

struct Profile {
  std::string userLogin;
  std::string password;  // empty: the plug-in asks for it on every run
  std::string beraterRef;
  std::string verBerNr;
  std::string extra;
  std::string lastImport = "0";  // yyyy-mm-dd, or 0 before the first import
  std::string versionLastUsed;
};

// A missing file is an empty profile; false only when it cannot be read.
bool LoadProfile(const std::string& path, Profile* profile, std::string* error);
bool SaveProfile(const std::string& path, const Profile& profile, std::string* error);

// The access text the plug-in expects (UTF-8 here; the caller converts).
std::string AccessTextOf(const Profile& profile, bool embeddedDb, bool noMessageBoxes);

// I_Datum and the VersionLastUsed parameter of a written import file.
bool ReadImportFileFacts(const std::string& xmlPath, std::string* importDate,
                         std::string* versionLastUsed);

}  // namespace korvun::host
