#include "staging/csv_text.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace korvun {

void SplitFields(std::string_view line, std::vector<std::string_view>* fields) {
  fields->clear();
  size_t start = 0;
  for (;;) {
    const size_t sep = line.find(';', start);
    if (sep == std::string_view::npos) {
      fields->push_back(line.substr(start));
      return;
    }
    fields->push_back(line.substr(start, sep - start));
    start = sep + 1;
  }
}

namespace {

[[noreturn]] void CannotOpen(const std::string& path) {
  throw std::runtime_error("Die Datei " + path + " kann nicht ge\xF6" "ffnet werden.");
}

[[noreturn]] void CannotRead(const std::string& path) {
  throw std::runtime_error("Die Datei " + path + " kann nicht gelesen werden.");
}

}  // namespace

CsvLineReader::CsvLineReader(Env& env, const std::string& path, size_t blockSize)
    : path_(path), buffer_(std::max<size_t>(blockSize, 1)) {
  if (!env.NewSequentialFile(path, &file_).ok()) CannotOpen(path);
}

void CsvLineReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    scan_ -= begin_;
    begin_ = 0;
  }
  // A line longer than the buffer makes it grow.
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  char* const into = buffer_.data() + end_;
  const size_t wanted = buffer_.size() - end_;
  std::string_view got;
  if (!file_->Read(wanted, &got, into).ok()) CannotRead(path_);
  if (got.data() != into && !got.empty()) std::memmove(into, got.data(), got.size());
  end_ += got.size();
  // A file gives fewer bytes than asked for only at its end.
  eof_ = got.size() < wanted;
  nextCr_ = nextLf_ = kUnknown;
}

// The first CR or LF at or after scan_, or end_. Both searches are kept, so
// that a file with only one kind of break is not searched again per line.
size_t CsvLineReader::FindBreak() {
  const auto find = [this](char c) {
    const void* hit = std::memchr(buffer_.data() + scan_, c, end_ - scan_);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - buffer_.data()) : end_;
  };
  if (nextCr_ == kUnknown || nextCr_ < scan_) nextCr_ = find('\r');
  if (nextLf_ == kUnknown || nextLf_ < scan_) nextLf_ = find('\n');
  return std::min(nextCr_, nextLf_);
}

bool CsvLineReader::Next(std::string_view* line) {
  for (;;) {
    const size_t brk = FindBreak();
    if (brk < end_) {
      // A CR at the end of what is read may be the first half of CR LF.
      if (buffer_[brk] == '\r' && brk + 1 == end_ && !eof_) {
        scan_ = brk;
        Fill();
        continue;
      }
      *line = std::string_view(buffer_.data() + begin_, brk - begin_);
      size_t next = brk + 1;
      if (buffer_[brk] == '\r' && next < end_ && buffer_[next] == '\n') ++next;
      begin_ = scan_ = next;
      return true;
    }
    scan_ = end_;
    if (!eof_) {
      Fill();
      continue;
    }
    if (begin_ == end_) return false;
    *line = std::string_view(buffer_.data() + begin_, end_ - begin_);
    begin_ = scan_ = end_;
    return true;
  }
}

long long CsvLineReader::CountLines(Env& env, const std::string& path, size_t blockSize) {
  CsvLineReader reader(env, path, blockSize);
  long long lines = 0;
  std::string_view line;
  while (reader.Next(&line)) ++lines;
  return lines;
}

std::vector<std::string> ReadFileLines(Env& env, const std::string& path) {
  // Such files are a few hundred bytes; a longer line grows the buffer.
  CsvLineReader reader(env, path, 4096);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(&line)) lines.emplace_back(line);
  return lines;
}

}  // namespace korvun
