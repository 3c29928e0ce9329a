// The manual's result-code section, made from the message table itself:
//   korvun_manual_codes --roff ADVICE OUT  writes the section as roff (ASCII): each
//                                          code, its message and its advice from ADVICE
//   korvun_manual_codes --list             prints "code<TAB>message" for each code,
//                                          the message's lines joined by blanks (UTF-8)
// Details a message inserts appear as <Text>, <Nummer> and <Datum>. A code
// without advice, or advice for a code without a message, fails the run, so
// the manual never falls behind the table.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/german_format.hpp"
#include "base/text_encoding.hpp"
#include "plugin/messages.hpp"

namespace korvun {
namespace {

// Details a message inserts, shown by name: a run fills in its own.
constexpr int32_t kNumberMark = 987654321;
constexpr const char* kTextMark = "<Text>";
constexpr CivilDate kDateMark{1901, 2, 3};
struct Placeholder {
  std::string mark, shown;
};
const std::vector<Placeholder>& Placeholders() {
  static const std::vector<Placeholder> list = {
      {std::to_string(kNumberMark), "<Nummer>"},
      {kTextMark, "<Text>"},
      {GermanFormat::Get().ShortDate(kDateMark), "<Datum>"}};
  return list;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The message's lines in UTF-8, placeholders named; a leading line break
// (the -28 message has one) is dropped, blank lines inside are kept.
std::vector<std::string> MessageLines(int32_t code) {
  const std::string message =
      Cp1252ToUtf8(*ErrorMessage(code, ErrorDetails{kNumberMark, kTextMark}, kDateMark));
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(ReplaceAll(message, "\r\n", "\n"));
  while (std::getline(in, line)) {
    for (const Placeholder& p : Placeholders()) line = ReplaceAll(line, p.mark, p.shown);
    if (!(lines.empty() && line.empty())) lines.push_back(line);
  }
  return lines;
}

// UTF-8 as groff's named characters (\[u00FC]), so that troff reads the
// section in any input encoding.
std::string GroffCharacters(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length == 1) {
      out += utf8[i++];
      continue;
    }
    unsigned long point = lead & (0x7F >> length);
    for (int k = 1; k < length && i + k < utf8.size(); ++k)
      point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    char name[16];
    std::snprintf(name, sizeof name, "\\[u%04lX]", point);
    out += name;
    i += length;
  }
  return out;
}

// A text line as roff reads it: backslashes and leading control characters
// escaped; placeholders upright within the italic message.
std::string RoffText(const std::string& line) {
  std::string out = GroffCharacters(ReplaceAll(line, "\\", "\\e"));
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  for (const Placeholder& p : Placeholders())
    out = ReplaceAll(out, p.shown, "\\f[R]" + p.shown + "\\f[I]");
  return out;
}

// The advice file: a line holding a code starts its entry, the lines up to
// the next code are its text (roff; a blank line starts a paragraph), lines
// beginning with "#" are comments.
bool ReadAdvice(const std::string& path, std::map<int32_t, std::string>* advice,
                std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  static const std::regex codeLine(R"(^\s*(-?[0-9]+)\s*$)");
  std::string line;
  std::string* current = nullptr;
  for (int number = 1; std::getline(in, line); ++number) {
    std::smatch m;
    if (!line.empty() && line[0] == '#') continue;
    if (std::regex_match(line, m, codeLine)) {
      const int32_t code = std::stoi(m[1]);
      if (advice->count(code)) {
        *error = path + ":" + std::to_string(number) + ": advice for " + m[1].str() +
                 " given twice";
        return false;
      }
      current = &(*advice)[code];
    } else if (current) {
      *current += line + "\n";
    } else if (line.find_first_not_of(" \t") != std::string::npos) {
      *error = path + ":" + std::to_string(number) + ": text before the first code";
      return false;
    }
  }
  return true;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

// -1 first, -1015 last.
std::vector<int32_t> CodesInManualOrder() {
  std::vector<int32_t> codes = MessageCodes();
  std::sort(codes.begin(), codes.end(), std::greater<>());
  return codes;
}

std::string RoffSection(const std::map<int32_t, std::string>& advice) {
  std::ostringstream out;
  out << ".\\\" Made by korvun_manual_codes from the message table and the advice file.\n";
  for (const int32_t code : CodesInManualOrder()) {
    // A message is never split by a page break: room for its lines (about 70
    // characters each) and the first of its advice.
    const std::vector<std::string> lines = MessageLines(code);
    size_t needed = 2;
    for (const std::string& line : lines) needed += 1 + line.size() / 70;
    out << ".ne " << needed << "v\n";
    out << ".IP \"\\f[B]\\-" << -code << "\\f[P]\" 8n\n.nh\n\\f[I]";
    bool lineOpen = false;
    for (const std::string& line : lines) {
      if (line.empty()) {
        out << "\n.sp 0.5v\n";
        lineOpen = false;
        continue;
      }
      out << (lineOpen ? "\n.br\n" : "") << RoffText(line);
      lineOpen = true;
    }
    out << "\\f[R]\n.hy \\n[HY]\n.sp 0.4v\n";
    std::istringstream text(Trimmed(advice.at(code)));
    bool blank = false;
    for (std::string line; std::getline(text, line);) {
      if (Trimmed(line).empty()) {
        blank = true;
        continue;
      }
      if (blank) out << ".IP \"\" 8n\n";
      blank = false;
      out << GroffCharacters(line) << "\n";
    }
  }
  return out.str();
}

int WriteRoff(const std::string& advicePath, const std::string& outPath) {
  std::map<int32_t, std::string> advice;
  std::string error;
  if (!ReadAdvice(advicePath, &advice, &error)) {
    std::cerr << error << "\n";
    return 1;
  }
  bool complete = true;
  for (const int32_t code : MessageCodes()) {
    if (!advice.count(code) || Trimmed(advice[code]).empty()) {
      std::cerr << advicePath << ": no advice for result code " << code << "\n";
      complete = false;
    }
  }
  const std::vector<int32_t> codes = MessageCodes();
  for (const auto& [code, text] : advice) {
    if (std::find(codes.begin(), codes.end(), code) == codes.end()) {
      std::cerr << advicePath << ": advice for " << code << ", which has no message\n";
      complete = false;
    }
  }
  if (!complete) return 1;
  const std::string section = RoffSection(advice);
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  out << section;
  out.close();
  if (!out) {
    std::cerr << outPath << ": cannot be written\n";
    std::remove(outPath.c_str());
    return 1;
  }
  return 0;
}

int List() {
  for (const int32_t code : CodesInManualOrder()) {
    std::string joined;
    for (const std::string& line : MessageLines(code))
      if (!line.empty()) joined += (joined.empty() ? "" : " ") + line;
    std::cout << code << "\t" << joined << "\n";
  }
  return std::cout.good() ? 0 : 1;
}

}  // namespace
}  // namespace korvun

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "--roff") return korvun::WriteRoff(args[1], args[2]);
  if (args.size() == 1 && args[0] == "--list") return korvun::List();
  std::cerr << "usage: korvun_manual_codes --roff ADVICE OUT | --list\n";
  return 2;
}
