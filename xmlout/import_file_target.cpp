#include "xmlout/import_file_target.hpp"

#include <stdexcept>

namespace korvun {

ImportFileTarget::ImportFileTarget(Env& env, std::string path)
    : env_(env), path_(std::move(path)), tempPath_(path_ + ".tmp") {
  std::unique_ptr<WritableFile> file;
  if (env.NewWritableFile(tempPath_, &file).ok())
    stream_ = std::make_unique<WritableFileStream>(std::move(file));
  if (!stream_) {
    Discard();
    throw std::runtime_error("Die XML-Datei " + path_ + " kann nicht angelegt werden.");
  }
}

ImportFileTarget::~ImportFileTarget() {
  if (!committed_) Discard();
}

void ImportFileTarget::Discard() noexcept {
  stream_.reset();
  try {
    env_.RemoveFile(tempPath_);
  } catch (...) {
    // Out of memory for the message: the file stays behind.
  }
}

std::runtime_error ImportFileTarget::Incomplete() const {
  return std::runtime_error("Die XML-Datei " + path_ +
                            " konnte nicht vollst\xE4ndig geschrieben werden.");
}

void ImportFileTarget::Commit() {
  const bool written = static_cast<bool>(*stream_) && stream_->Close();
  if (!written) {
    Discard();
    throw Incomplete();
  }
  if (!env_.RenameFile(tempPath_, path_).ok()) {
    Discard();
    throw std::runtime_error("Die XML-Datei " + path_ + " kann nicht ersetzt werden.");
  }
  committed_ = true;
}

}  // namespace korvun
