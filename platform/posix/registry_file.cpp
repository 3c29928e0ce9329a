#include "platform/posix/registry_file.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/strings.hpp"
#include "base/text_encoding.hpp"

namespace korvun {
namespace {

// UTF-16LE (as regedit writes) to UTF-8.
std::string FromUtf16Le(const std::string& raw) {
  std::string out;
  for (size_t i = 2; i + 1 < raw.size(); i += 2) {
    uint32_t cp = static_cast<unsigned char>(raw[i]) | (static_cast<unsigned char>(raw[i + 1]) << 8);
    if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < raw.size()) {
      uint32_t lo = static_cast<unsigned char>(raw[i + 2]) |
                    (static_cast<unsigned char>(raw[i + 3]) << 8);
      cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
      i += 2;
    }
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) { out += static_cast<char>(0xC0 | (cp >> 6)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    else if (cp < 0x10000) { out += static_cast<char>(0xE0 | (cp >> 12)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    else { out += static_cast<char>(0xF0 | (cp >> 18)); out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
  }
  return out;
}

bool LooksLikeUtf8(const std::string& s) {
  size_t i = 0;
  bool sawMultibyte = false;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    if (len > 1) sawMultibyte = true;
    i += len;
  }
  (void)sawMultibyte;
  return true;
}

// Reads a quoted string starting at s[pos] == '"'; returns false when it is
// not closed. Handles \\ and \" escapes.
bool ReadQuoted(const std::string& s, size_t& pos, std::string* out) {
  ++pos;
  out->clear();
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == '\\' && pos + 1 < s.size()) {
      out->push_back(s[pos + 1]);
      pos += 2;
    } else if (c == '"') {
      ++pos;
      return true;
    } else {
      out->push_back(c);
      ++pos;
    }
  }
  return false;
}

}  // namespace

std::string NormaliseRegistryKey(const std::string& key) {
  std::string k = AsciiUpper(key);
  for (const char* hive : {"HKEY_LOCAL_MACHINE\\", "HKLM\\"}) {
    const std::string h = hive;
    if (k.rfind(h, 0) == 0) k = k.substr(h.size());
  }
  while (!k.empty() && k.back() == '\\') k.pop_back();
  return k;
}

RegistryFile RegistryFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return RegistryFile{};
  std::ostringstream buf;
  buf << in.rdbuf();
  return Parse(buf.str());
}

RegistryFile RegistryFile::Parse(const std::string& raw) {
  std::string text;
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
    text = Utf8ToCp1252(FromUtf16Le(raw));
  } else if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = Utf8ToCp1252(raw.substr(3));
  } else {
    text = LooksLikeUtf8(raw) ? Utf8ToCp1252(raw) : raw;
  }

  // Join continuation lines (hex values end a line with "\").
  std::vector<std::string> lines;
  std::istringstream stream(text);
  std::string line, pending;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string t(TrimBlanks(line));
    if (!pending.empty()) t = pending + t;
    if (!t.empty() && t.back() == '\\' && t.find('=') != std::string::npos && t.front() != '[') {
      t.pop_back();
      pending = t;
      continue;
    }
    pending.clear();
    lines.push_back(t);
  }
  if (!pending.empty()) lines.push_back(pending);

  RegistryFile file;
  std::map<std::string, Value>* current = nullptr;
  for (const std::string& l : lines) {
    if (l.empty() || l[0] == ';') continue;
    if (l[0] == '[') {
      const auto close = l.rfind(']');
      if (close == std::string::npos) { current = nullptr; continue; }
      std::string key = l.substr(1, close - 1);
      if (!key.empty() && key[0] == '-') {  // a deleted key
        current = nullptr;
        continue;
      }
      current = &file.keys_[NormaliseRegistryKey(key)];
      continue;
    }
    if (!current) continue;
    std::string name;
    size_t pos = 0;
    if (l[0] == '@') {
      pos = 1;
    } else if (l[0] == '"') {
      if (!ReadQuoted(l, pos, &name)) continue;
    } else {
      continue;
    }
    while (pos < l.size() && (l[pos] == ' ' || l[pos] == '\t')) ++pos;
    if (pos >= l.size() || l[pos] != '=') continue;
    ++pos;
    while (pos < l.size() && (l[pos] == ' ' || l[pos] == '\t')) ++pos;
    Value value;
    if (pos < l.size() && l[pos] == '"') {
      if (!ReadQuoted(l, pos, &value.text)) continue;
      value.isString = true;
    } else if (l.compare(pos, 1, "-") == 0) {
      current->erase(AsciiUpper(name));
      continue;
    } else {
      value.isString = false;  // dword:, hex:, hex(2): and the like
      value.text = l.substr(pos);
    }
    (*current)[AsciiUpper(name)] = value;
  }
  return file;
}

bool RegistryFile::KeyExists(const std::string& key) const {
  return keys_.count(NormaliseRegistryKey(key)) != 0;
}

RegistryRead RegistryFile::Read(const std::string& key, const std::string& name,
                                std::string* value) const {
  const auto k = keys_.find(NormaliseRegistryKey(key));
  if (k == keys_.end()) return RegistryRead::kMissing;
  const auto v = k->second.find(AsciiUpper(name));
  if (v == k->second.end()) return RegistryRead::kMissing;
  if (!v->second.isString) return RegistryRead::kWrongType;
  *value = v->second.text;
  return RegistryRead::kString;
}

}  // namespace korvun
