// The error log of one CSV import ("bst_error.log", "tra_error.log"): a start
// line, one line per record that could not be stored, a closing summary.
#pragma once

#include <memory>
#include <string>

#include "platform/env.hpp"

namespace korvun {

class ImportErrorLog {
 public:
  // Creates the file anew and writes the start line; throws
  // std::runtime_error when it cannot be created.
  ImportErrorLog(Env& env, const std::string& path);
  ~ImportErrorLog();
  ImportErrorLog(const ImportErrorLog&) = delete;
  ImportErrorLog& operator=(const ImportErrorLog&) = delete;

  // One failed record; line breaks in the message become blanks so that
  // every failure stays one line.
  void Failure(const std::string& message);
  // The closing lines; the file is then closed.
  void Finish();

  int Errors() const { return errors_; }

 private:
  void Line(const std::string& text);
  std::string Stamp();

  Env& env_;
  std::string path_;
  std::unique_ptr<WritableFile> file_;
  bool failed_ = false;  // a line that could not be written
  int errors_ = 0;
};

// "dd.MM.yyyy HH:mm"
std::string LogTimeStamp(const LocalTime& time);

}  // namespace korvun
