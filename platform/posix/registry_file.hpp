// A registry in the format of a Windows ".reg" export, so that an
// administrator can export the key on Windows and drop the file in.
#pragma once

#include <map>
#include <string>

#include "platform/env.hpp"

namespace korvun {

class RegistryFile {
 public:
  // Parses the file's text (UTF-8, UTF-16LE with BOM, or Windows-1252).
  // A missing file is an empty registry.
  static RegistryFile Load(const std::string& path);
  static RegistryFile Parse(const std::string& text);

  bool KeyExists(const std::string& key) const;
  RegistryRead Read(const std::string& key, const std::string& name, std::string* value) const;

 private:
  struct Value {
    bool isString = false;
    std::string text;  // Windows-1252
  };
  const std::map<std::string, Value>* FindKey(const std::string& key) const;

  // Upper-cased full key path without the hive prefix -> upper-cased value name -> value.
  std::map<std::string, std::map<std::string, Value>> keys_;
};

// Normalises "HKEY_LOCAL_MACHINE\Software\X" and "Software\X" to the
// upper-case "SOFTWARE\X".
std::string NormaliseRegistryKey(const std::string& key);

}  // namespace korvun
