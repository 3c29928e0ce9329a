// What the Windows tests share: the fixture scripts' info files and the
// simulator's CA in the Root stores of the test's throw-away Wine prefix.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace korvun::testing {

// "KEY value" lines of the file an environment variable names.
inline std::map<std::string, std::string> ReadInfoFile(const char* variable) {
  std::map<std::string, std::string> info;
  const char* path = std::getenv(variable);
  if (!path) return info;
  std::ifstream in(path);
  std::string key, value;
  while (in >> key && std::getline(in >> std::ws, value)) info[key] = value;
  return info;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// WinINet's chain engine trusts the user's Root store; the machine's is set
// too for other readers.
inline bool TrustCa(const std::string& pemFile) {
  const std::string text = ReadWholeFile(pemFile);
  DWORD size = 0;
  if (text.empty() || !::CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr,
                                              &size, nullptr, nullptr))
    return false;
  std::vector<BYTE> der(size);
  ::CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                         nullptr);
  bool added = true;
  for (DWORD location : {CERT_SYSTEM_STORE_LOCAL_MACHINE, CERT_SYSTEM_STORE_CURRENT_USER}) {
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, location, "ROOT");
    if (!store) return false;
    added = added && ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                         CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(store, 0);
  }
  return added;
}

// The DLL of this build: bin\KorvunZUV.dll beside the test programs' folder.
inline std::string BuildDllPath() {
  char exe[MAX_PATH];
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path = exe;
  path.resize(path.find_last_of('\\'));
  path.resize(path.find_last_of('\\'));
  return path + "\\bin\\KorvunZUV.dll";
}

// String values under the plug-in's settings key (made when missing); an
// empty value is removed.
inline void WriteSettings(std::initializer_list<std::pair<const char*, std::string>> values) {
  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brenhalt\\Tarvo\\Korvun\\ZUV", 0, nullptr, 0,
                    KEY_WRITE, nullptr, &key, nullptr);
  for (const auto& [name, value] : values) {
    if (value.empty())
      ::RegDeleteValueA(key, name);
    else
      ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
  }
  ::RegCloseKey(key);
}

// The settings for the simulator of an info file, on https://localhost.
inline void WriteSimulatorSettings(const std::string& port, const std::string& dataDir) {
  WriteSettings({{"DownloadSrvUrl", "https://localhost:" + port + "/actionus/aes/onlinedatatransfer"},
                 {"DataDir", dataDir},
                 {"Timeout", "30"}});
}

}  // namespace korvun::testing
