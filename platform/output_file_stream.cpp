#include "platform/output_file_stream.hpp"

namespace korvun {

OutputFileBuffer::OutputFileBuffer(std::unique_ptr<OutputFile> file, size_t bufferSize)
    : file_(std::move(file)), buffer_(bufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

// Without Close the file is closed as it is; the owner discards it.
OutputFileBuffer::~OutputFileBuffer() = default;

bool OutputFileBuffer::Drain() {
  const std::ptrdiff_t pending = pptr() - pbase();
  if (pending > 0 && !failed_ && file_) {
    failed_ = !file_->Append(pbase(), static_cast<size_t>(pending));
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return !failed_ && file_;
}

OutputFileBuffer::int_type OutputFileBuffer::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize OutputFileBuffer::xsputn(const char* data, std::streamsize size) {
  if (size < epptr() - pptr()) return std::streambuf::xsputn(data, size);
  // Large pieces go to the file directly instead of through the buffer.
  if (!Drain()) return 0;
  failed_ = !file_->Append(data, static_cast<size_t>(size));
  return failed_ ? 0 : size;
}

int OutputFileBuffer::sync() { return Drain() ? 0 : -1; }

bool OutputFileBuffer::Close() {
  if (!file_) return false;
  const bool drained = Drain();
  const bool closed = file_->Close();
  file_.reset();
  return drained && closed;
}

}  // namespace korvun
