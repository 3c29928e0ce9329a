#include "tools/sim/sim_script.hpp"

#include <fstream>
#include <sstream>

namespace korvun::sim {

namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool ParseInt(const std::string& text, int* value) {
  try {
    std::size_t used = 0;
    *value = std::stoi(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

bool ApplyWord(const std::string& part, Directive* d, std::string* error) {
  const std::size_t space = part.find(' ');
  const std::string word = part.substr(0, space);
  const std::string arg = space == std::string::npos ? "" : Trim(part.substr(space + 1));
  int n = 0;
  if (word == "ok") return true;
  if (word == "body") {
    d->bodyFile = arg;
    return !arg.empty() || (*error = "body needs a file", false);
  }
  if (word == "empty") return d->empty = true;
  if (word == "short") return d->shortBody = true;
  if (word == "nolength") return d->noLength = true;
  if (word == "notzip") return d->notZip = true;
  if (word == "nocsv") return d->noCsv = true;
  if (word == "subfolder") return d->subfolder = true;
  if (word == "redirect") return d->redirect = true;
  if (!ParseInt(arg, &n)) {
    *error = "directive needs a number: " + part;
    return false;
  }
  if (word == "status") d->status = n;
  else if (word == "today") d->todayShift = n;
  else if (word == "stall") d->stallSeconds = n;
  else if (word == "drip") d->dripBytes = n;
  else if (word == "delay") d->delaySeconds = n;
  else if (word == "pad") d->padBytes = static_cast<std::size_t>(n < 0 ? 0 : n);
  else {
    *error = "unknown directive: " + word;
    return false;
  }
  return true;
}

}  // namespace

bool ParseDirective(const std::string& line, Directive* directive, std::string* error) {
  *directive = Directive{};
  directive->source = Trim(line);
  std::size_t start = 0;
  while (start <= line.size()) {
    // "answer" takes the rest of the line as it stands.
    const std::size_t wordStart = line.find_first_not_of(" \t", start);
    if (wordStart != std::string::npos && line.compare(wordStart, 6, "answer") == 0 &&
        (wordStart + 6 == line.size() || line[wordStart + 6] == ' ')) {
      directive->answer = wordStart + 7 < line.size() ? line.substr(wordStart + 7) : "";
      return true;
    }
    std::size_t end = line.find(" | ", start);
    if (end == std::string::npos) end = line.size();
    const std::string part = Trim(line.substr(start, end - start));
    if (!part.empty() && !ApplyWord(part, directive, error)) return false;
    start = end + 3;
  }
  return true;
}

bool Script::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read script " + path;
    return false;
  }
  std::string line;
  std::vector<Directive> lines;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // "answer" keeps its text as it stands, comments included.
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    Directive d;
    if (!ParseDirective(trimmed, &d, error)) return false;
    lines.push_back(std::move(d));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  lines_ = std::move(lines);
  next_ = 0;
  return true;
}

Directive Script::Next() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (next_ < lines_.size()) return lines_[next_++];
  Directive d;
  d.source = "ok";
  return d;
}

}  // namespace korvun::sim
