// The body of a data file download, taken as it arrives. Its first bytes
// tell an error answer of the provider, which is kept in memory, from the
// archive, which goes to a temporary file beside the archive's place and is
// moved there only once the download is complete: nobody sees a part of the
// archive under its name, and a download that fails leaves no file behind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.hpp"
#include "platform/env.hpp"
#include "transfer/http_download.hpp"

namespace korvun {

class DataFileSink final : public DownloadSink {
 public:
  // The archive's place is dataDir (ending with the separator) + archiveName.
  DataFileSink(Env& env, const std::string& dataDir, const std::string& archiveName);
  // Removes the temporary file unless the archive was completed.
  ~DataFileSink() override;
  DataFileSink(const DataFileSink&) = delete;
  DataFileSink& operator=(const DataFileSink&) = delete;

  void Append(std::string_view block) override;
  uint64_t Size() const override { return size_; }

  // After the download: whether the body is an error answer of the
  // provider, and its bytes.
  bool IsErrorAnswer() const { return kind_ == Kind::kErrorAnswer; }
  std::string_view ErrorAnswer() const { return head_; }

  // Closes the temporary file and moves it to the archive's place. A -40
  // status naming the archive when any of its writes failed; nothing is
  // left behind then.
  Status CompleteArchive();

  const std::string& ArchivePath() const { return archivePath_; }

 private:
  void StartArchive();
  void Write(std::string_view bytes);
  void Discard();

  Env& env_;
  const std::string archivePath_, partPath_;
  enum class Kind { kUndecided, kErrorAnswer, kArchive } kind_ = Kind::kUndecided;
  std::string head_;  // the first bytes; for an error answer, the answer
  std::unique_ptr<WritableFile> file_;
  bool partExists_ = false;
  Status failure_;  // the first failure of the temporary file
  uint64_t size_ = 0;
};

}  // namespace korvun
