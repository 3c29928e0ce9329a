// A WritableFile that gathers short appends (log lines) into blocks; each
// platform supplies only the raw write and close of its handle.
#pragma once

#include <cstddef>
#include <string>

#include "platform/env.hpp"

namespace korvun {

class BufferedWritableFile : public WritableFile {
 public:
  explicit BufferedWritableFile(std::string path) : path_(std::move(path)) {}

  Status Append(std::string_view data) override;
  Status Flush() override;
  Status Close() override;

 protected:
  // Writes all bytes to the handle; false on any failure.
  virtual bool WriteThrough(const char* data, size_t size) = 0;
  // Closes the handle; false on failure. Called once.
  virtual bool CloseHandle() = 0;
  // Subclasses call this from their destructor: a virtual call is not
  // possible from ours.
  void CloseIfOpen() {
    if (open_) Close();
  }

 private:
  // A failed write fails the file for good; Close reports it again.
  Status Written(bool ok);

  std::string path_;
  bool open_ = true;
  bool failed_ = false;
  size_t used_ = 0;
  char buffer_[65536];
};

}  // namespace korvun
