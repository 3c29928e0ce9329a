#include "platform/writable_file_stream.hpp"

namespace korvun {

WritableFileBuffer::WritableFileBuffer(std::unique_ptr<WritableFile> file, size_t bufferSize)
    : file_(std::move(file)), buffer_(bufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

// Without Close the file is closed as it is; the owner discards it.
WritableFileBuffer::~WritableFileBuffer() = default;

bool WritableFileBuffer::Drain() {
  const std::ptrdiff_t pending = pptr() - pbase();
  if (pending > 0 && !failed_ && file_) {
    failed_ = !file_->Append(std::string_view(pbase(), static_cast<size_t>(pending))).ok();
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return !failed_ && file_;
}

WritableFileBuffer::int_type WritableFileBuffer::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize WritableFileBuffer::xsputn(const char* data, std::streamsize size) {
  if (size < epptr() - pptr()) return std::streambuf::xsputn(data, size);
  // Large pieces go to the file directly instead of through the buffer.
  if (!Drain()) return 0;
  failed_ = !file_->Append(std::string_view(data, static_cast<size_t>(size))).ok();
  return failed_ ? 0 : size;
}

int WritableFileBuffer::sync() { return Drain() ? 0 : -1; }

bool WritableFileBuffer::Close() {
  if (!file_) return false;
  const bool drained = Drain();
  const bool closed = file_->Close().ok();
  file_.reset();
  return drained && closed;
}

}  // namespace korvun
