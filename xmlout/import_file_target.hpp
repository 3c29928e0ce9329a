// The import file is written into a temporary file beside it and takes the
// place of the old one only when it is complete.
#pragma once

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

#include "platform/env.hpp"
#include "platform/writable_file_stream.hpp"

namespace korvun {

class ImportFileTarget {
 public:
  // Creates the temporary file; throws std::runtime_error (German text) when
  // it cannot be created.
  ImportFileTarget(Env& env, std::string path);
  // Without Commit the temporary file is removed; the target stays untouched.
  ~ImportFileTarget();
  ImportFileTarget(const ImportFileTarget&) = delete;
  ImportFileTarget& operator=(const ImportFileTarget&) = delete;

  std::ostream& Stream() { return *stream_; }
  // Closes the temporary file and renames it over the target. Throws on
  // failure and removes the temporary file.
  void Commit();

  const std::string& TempPath() const { return tempPath_; }

  // The error of a file that could not be written to its end.
  std::runtime_error Incomplete() const;

 private:
  void Discard() noexcept;

  Env& env_;
  std::string path_;
  std::string tempPath_;
  std::unique_ptr<WritableFileStream> stream_;
  bool committed_ = false;
};

}  // namespace korvun
