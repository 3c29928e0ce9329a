#include "platform/posix/registry_file.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
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

// The bytes of a "hex(n):" value: two-digit hexadecimal numbers separated by
// commas and blanks. False for anything else.
bool ReadHexBytes(std::string_view text, std::string* bytes) {
  bytes->clear();
  for (std::string_view rest = text; !rest.empty();) {
    rest = TrimBlanks(rest);
    if (rest.empty()) break;
    const size_t comma = rest.find(',');
    const std::string_view byte = TrimBlanks(rest.substr(0, comma));
    if (byte.size() != 2 || !std::isxdigit(static_cast<unsigned char>(byte[0])) ||
        !std::isxdigit(static_cast<unsigned char>(byte[1])))
      return false;
    bytes->push_back(static_cast<char>(std::stoi(std::string(byte), nullptr, 16)));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  return true;
}

// A string value written as bytes: "hex(2):" (expandable string, as an export
// writes it) or "hex(1):" (plain string). Version 5 exports hold UTF-16LE,
// REGEDIT4 exports the ANSI bytes; the terminating zero is dropped.
bool ReadHexString(std::string_view value, bool utf16, std::string* text) {
  std::string_view data;
  for (const std::string_view prefix : {"hex(2):", "hex(1):"})
    if (value.size() >= prefix.size() && EqualsIgnoreCase(value.substr(0, prefix.size()), prefix))
      data = value.substr(prefix.size());
  if (data.data() == nullptr) return false;
  std::string bytes;
  if (!ReadHexBytes(data, &bytes)) return false;
  if (utf16) {
    if (bytes.size() % 2 != 0) return false;
    while (bytes.size() >= 2 && bytes[bytes.size() - 1] == 0 && bytes[bytes.size() - 2] == 0)
      bytes.resize(bytes.size() - 2);
    *text = Utf8ToCp1252(FromUtf16Le("\xFF\xFE" + bytes));
  } else {
    while (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
    *text = bytes;
  }
  return true;
}

// The file's text in Windows-1252: UTF-16LE with its mark (as regedit
// writes), UTF-8 with or without its mark, or Windows-1252 as it is.
std::string DecodeRegistryText(const std::string& raw) {
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE)
    return Utf8ToCp1252(FromUtf16Le(raw));
  if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return Utf8ToCp1252(raw.substr(3));
  return LooksLikeUtf8(raw) ? Utf8ToCp1252(raw) : raw;
}

// The lines, trimmed, with a value continued over several lines (hex values
// end a line with "\") joined into one.
std::vector<std::string> JoinContinuedLines(const std::string& text) {
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
  return lines;
}

// The key a "[...]" line opens; none for a line without its bracket or a
// deleted key ("[-...]"), whose values then belong nowhere.
std::optional<std::string> KeyOfLine(const std::string& line) {
  const auto close = line.rfind(']');
  if (close == std::string::npos) return std::nullopt;
  std::string key = line.substr(1, close - 1);
  if (!key.empty() && key[0] == '-') return std::nullopt;
  return key;
}

// One value line: "name"=value or @=value (the default value, named "").
struct ValueLine {
  std::string name;  // upper case
  bool deleted = false;  // "name"=-
  bool isString = false;
  std::string text;
};

std::optional<ValueLine> ParseValueLine(const std::string& l, bool utf16) {
  ValueLine entry;
  size_t pos = 0;
  if (l[0] == '@') {
    pos = 1;
  } else if (l[0] != '"' || !ReadQuoted(l, pos, &entry.name)) {
    return std::nullopt;
  }
  entry.name = AsciiUpper(entry.name);
  while (pos < l.size() && (l[pos] == ' ' || l[pos] == '\t')) ++pos;
  if (pos >= l.size() || l[pos] != '=') return std::nullopt;
  ++pos;
  while (pos < l.size() && (l[pos] == ' ' || l[pos] == '\t')) ++pos;
  if (pos < l.size() && l[pos] == '"') {
    if (!ReadQuoted(l, pos, &entry.text)) return std::nullopt;
    entry.isString = true;
  } else if (l.compare(pos, 1, "-") == 0) {
    entry.deleted = true;
  } else {
    // dword:, hex: and the like are no strings; hex(2): and hex(1): are.
    entry.isString = ReadHexString(std::string_view(l).substr(pos), utf16, &entry.text);
    if (!entry.isString) entry.text = l.substr(pos);
  }
  return entry;
}

// Where 64-bit Windows keeps a 32-bit program's view of HKLM\Software.
constexpr std::string_view kSoftware = "SOFTWARE\\";
constexpr std::string_view kWow64Software = "SOFTWARE\\WOW6432NODE\\";

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
  const std::vector<std::string> lines = JoinContinuedLines(DecodeRegistryText(raw));
  RegistryFile file;
  // Version 5 exports write the bytes of string values as UTF-16LE.
  const bool utf16 = !lines.empty() && lines.front().rfind("Windows Registry Editor", 0) == 0;
  std::map<std::string, Value>* current = nullptr;
  for (const std::string& line : lines) {
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::optional<std::string> key = KeyOfLine(line);
      current = key ? &file.keys_[NormaliseRegistryKey(*key)] : nullptr;
      continue;
    }
    if (!current) continue;
    std::optional<ValueLine> entry = ParseValueLine(line, utf16);
    if (!entry) continue;
    if (entry->deleted) current->erase(entry->name);
    else (*current)[entry->name] = Value{entry->isString, std::move(entry->text)};
  }
  return file;
}

const std::map<std::string, RegistryFile::Value>* RegistryFile::FindKey(const std::string& key) const {
  const std::string k = NormaliseRegistryKey(key);
  auto found = keys_.find(k);
  // An export made on 64-bit Windows holds a 32-bit program's settings below
  // WOW6432Node, which is where such a program reads them.
  if (found == keys_.end() && k.rfind(kSoftware, 0) == 0)
    found = keys_.find(std::string(kWow64Software) + k.substr(kSoftware.size()));
  return found == keys_.end() ? nullptr : &found->second;
}

bool RegistryFile::KeyExists(const std::string& key) const { return FindKey(key) != nullptr; }

RegistryRead RegistryFile::Read(const std::string& key, const std::string& name,
                                std::string* value) const {
  const auto* values = FindKey(key);
  if (!values) return RegistryRead::kMissing;
  const auto v = values->find(AsciiUpper(name));
  if (v == values->end()) return RegistryRead::kMissing;
  if (!v->second.isString) return RegistryRead::kWrongType;
  *value = v->second.text;
  return RegistryRead::kString;
}

}  // namespace korvun
