// A std::ostream that writes into a WritableFile, for writers that speak
// streams (the XML writer).
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <vector>

#include "platform/env.hpp"

namespace korvun {

class WritableFileBuffer final : public std::streambuf {
 public:
  explicit WritableFileBuffer(std::unique_ptr<WritableFile> file, size_t bufferSize = 65536);
  ~WritableFileBuffer() override;

  // Writes what is buffered and closes the file; false when any write or
  // the closing failed.
  bool Close();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int sync() override;

 private:
  bool Drain();

  std::unique_ptr<WritableFile> file_;
  std::vector<char> buffer_;
  bool failed_ = false;
};

class WritableFileStream final : public std::ostream {
 public:
  explicit WritableFileStream(std::unique_ptr<WritableFile> file)
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
  WritableFileBuffer buffer_;
};

}  // namespace korvun
