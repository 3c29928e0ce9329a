#include "staging/import_error_log.hpp"

#include <cstdio>
#include <stdexcept>

namespace korvun {

std::string LogTimeStamp(const LocalTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d", t.day, t.month, t.year, t.hour,
                t.minute);
  return buf;
}

ImportErrorLog::ImportErrorLog(Env& env, const std::string& path) : env_(env), path_(path) {
  if (!env.NewWritableFile(path, &file_).ok()) {
    throw std::runtime_error("Die Fehlerprotokolldatei " + path + " kann nicht angelegt werden.");
  }
  Line(Stamp() + " - Import process started");
  Line("");
}

// Closed as it is when the import ends early.
ImportErrorLog::~ImportErrorLog() = default;

std::string ImportErrorLog::Stamp() { return LogTimeStamp(env_.Now()); }

void ImportErrorLog::Line(const std::string& text) {
  if (!file_) return;
  failed_ = !file_->Append(text).ok() || !file_->Append("\r\n").ok() || failed_;
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
  const bool failed = !file_->Close().ok() || failed_;
  file_.reset();
  if (failed) {
    throw std::runtime_error("Die Fehlerprotokolldatei " + path_ + " kann nicht geschrieben werden.");
  }
}

}  // namespace korvun
