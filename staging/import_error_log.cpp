#include "staging/import_error_log.hpp"

#include <stdexcept>

namespace korvun {

std::string LogTimeStamp(const LocalTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d", t.day, t.month, t.year, t.hour,
                t.minute);
  return buf;
}

ImportErrorLog::ImportErrorLog(Env& env, const std::string& path) : env_(env), path_(path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    throw std::runtime_error("Die Fehlerprotokolldatei " + path + " kann nicht angelegt werden.");
  }
  Line(Stamp() + " - Import process started");
  Line("");
}

ImportErrorLog::~ImportErrorLog() {
  if (file_) std::fclose(file_);
}

std::string ImportErrorLog::Stamp() { return LogTimeStamp(env_.Now()); }

void ImportErrorLog::Line(const std::string& text) {
  if (!file_) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fwrite("\r\n", 1, 2, file_);
}

void ImportErrorLog::Failure(const std::string& message) {
  std::string flat = message;
  for (char& c : flat) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  ++errors_;
  Line(Stamp() + " - " + flat);
}

void ImportErrorLog::Finish() {
  if (!file_) return;
  if (errors_ > 0) Line("");
  Line(Stamp() + " - Import process finished");
  Line(errors_ == 0 ? std::string("No error found")
                    : std::to_string(errors_) + " error(s) found");
  Line("");
  const bool failed = std::fclose(file_) != 0;
  file_ = nullptr;
  if (failed) {
    throw std::runtime_error("Die Fehlerprotokolldatei " + path_ + " kann nicht geschrieben werden.");
  }
}

}  // namespace korvun
