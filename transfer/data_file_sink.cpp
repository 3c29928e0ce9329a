#include "transfer/data_file_sink.hpp"

#include <algorithm>

#include "base/file_failures.hpp"
#include "transfer/provider_answer.hpp"

namespace korvun {
namespace {

// An error answer is one line of text with its number and message at the
// start; more than this of it is not kept.
constexpr size_t kErrorAnswerLimit = 65536;

}  // namespace

DataFileSink::DataFileSink(Env& env, const std::string& dataDir, const std::string& archiveName)
    : env_(env),
      archivePath_(dataDir + archiveName),
      partPath_(dataDir + "." + archiveName + ".part") {}

DataFileSink::~DataFileSink() {
  try {
    Discard();
  } catch (...) {
    // Out of memory for the message: the temporary file stays behind.
  }
}

void DataFileSink::Append(std::string_view block) {
  size_ += block.size();
  if (kind_ == Kind::kUndecided) {
    const size_t take = std::min(block.size(), kProviderAnswerPrefixSize - head_.size());
    head_.append(block.substr(0, take));
    block.remove_prefix(take);
    if (head_.size() < kProviderAnswerPrefixSize) return;
    if (IsProviderErrorAnswer(head_))
      kind_ = Kind::kErrorAnswer;
    else
      StartArchive();
  }
  if (kind_ == Kind::kErrorAnswer) {
    head_.append(block.substr(0, kErrorAnswerLimit - std::min(head_.size(), kErrorAnswerLimit)));
    return;
  }
  Write(block);
}

// Anything but an error answer is taken for the archive, a body too short
// to tell included.
void DataFileSink::StartArchive() {
  kind_ = Kind::kArchive;
  if (env_.NewWritableFile(partPath_, &file_).ok()) {
    partExists_ = true;
    Write(head_);
  } else {
    failure_ = FileFailure(kCannotCreate, archivePath_);
  }
  head_.clear();
}

// After a failure the rest of the body is let go: the download still runs to
// its end, so that its own outcome comes first.
void DataFileSink::Write(std::string_view bytes) {
  if (!failure_.ok() || bytes.empty()) return;
  if (!file_->Append(bytes).ok()) {
    failure_ = FileFailure(kCannotWrite, archivePath_);
    Discard();
  }
}

Status DataFileSink::CompleteArchive() {
  if (kind_ == Kind::kUndecided) StartArchive();
  if (failure_.ok()) {
    const bool closed = file_->Close().ok();
    file_.reset();
    if (closed && env_.RenameFile(partPath_, archivePath_).ok()) {
      partExists_ = false;
      return Status::Ok();
    }
    failure_ = FileFailure(kCannotWrite, archivePath_);
  }
  Discard();
  return failure_;
}

void DataFileSink::Discard() {
  file_.reset();
  if (partExists_) {
    partExists_ = false;
    env_.RemoveFile(partPath_);
  }
}

}  // namespace korvun
