// A std::ostream that writes into an OutputFile of the platform.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <vector>

#include "platform/env.hpp"

namespace korvun {

class OutputFileBuffer final : public std::streambuf {
 public:
  explicit OutputFileBuffer(std::unique_ptr<OutputFile> file, size_t bufferSize = 65536);
  ~OutputFileBuffer() override;

  // Writes what is buffered and closes the file; false when any write or
  // the closing failed.
  bool Close();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int sync() override;

 private:
  bool Drain();

  std::unique_ptr<OutputFile> file_;
  std::vector<char> buffer_;
  bool failed_ = false;
};

class OutputFileStream final : public std::ostream {
 public:
  explicit OutputFileStream(std::unique_ptr<OutputFile> file)
      : std::ostream(nullptr), buffer_(std::move(file)) {
    rdbuf(&buffer_);
  }
  // False when anything written so far was lost.
  bool Close() {
    const bool closed = buffer_.Close();
    if (!closed) setstate(std::ios::badbit);
    return closed;
  }

 private:
  OutputFileBuffer buffer_;
};

}  // namespace korvun
