// Reading the provider's CSV files: lines split at CR LF, lone CR or lone
// LF, fields split at ";" without any quoting.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/strings.hpp"
#include "platform/env.hpp"

namespace korvun {

// The ";"-separated fields of a line, untrimmed; n separators give n + 1.
void SplitFields(std::string_view line, std::vector<std::string_view>* fields);

// The lines of a file, read block by block, split as SplitLines splits the
// whole text: a transactions file of hundreds of megabytes never has to fit
// into memory at once. Throws std::runtime_error with a German message when
// the file cannot be opened or read.
class CsvLineReader {
 public:
  CsvLineReader(Env& env, const std::string& path, size_t blockSize = size_t{1} << 20);

  // The next line without its break, valid until the next call; false at
  // the end of the file.
  bool Next(std::string_view* line);

  // How many lines Next gives for the whole file.
  static long long CountLines(Env& env, const std::string& path, size_t blockSize = size_t{1} << 20);

 private:
  void Fill();
  size_t FindBreak();

  std::string path_;
  std::unique_ptr<SequentialFile> file_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // start of the current line
  size_t scan_ = 0;   // no line break in [begin_, scan_)
  size_t end_ = 0;    // end of the bytes read
  size_t nextCr_ = kUnknown, nextLf_ = kUnknown;
  bool eof_ = false;
  static constexpr size_t kUnknown = static_cast<size_t>(-1);
};

// All lines of a small file, such as a map file. Throws as CsvLineReader.
std::vector<std::string> ReadFileLines(Env& env, const std::string& path);

}  // namespace korvun
