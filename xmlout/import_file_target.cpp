#include "xmlout/import_file_target.hpp"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace korvun {

ImportFileTarget::ImportFileTarget(std::string path)
    : path_(std::move(path)), tempPath_(path_ + ".tmp") {
  stream_.open(tempPath_, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!stream_) {
    Discard();
    throw std::runtime_error("Die XML-Datei " + path_ + " kann nicht angelegt werden.");
  }
}

ImportFileTarget::~ImportFileTarget() {
  if (!committed_) Discard();
}

void ImportFileTarget::Discard() noexcept {
  if (stream_.is_open()) stream_.close();
  std::error_code ec;
  std::filesystem::remove(tempPath_, ec);
}

void ImportFileTarget::Commit() {
  stream_.flush();
  const bool written = static_cast<bool>(stream_);
  stream_.close();
  if (!written || stream_.fail()) {
    Discard();
    throw std::runtime_error("Die XML-Datei " + path_ + " konnte nicht vollst\xE4ndig geschrieben werden.");
  }
  std::error_code ec;
  std::filesystem::rename(tempPath_, path_, ec);
  if (ec) {
    Discard();
    throw std::runtime_error("Die XML-Datei " + path_ + " kann nicht ersetzt werden.");
  }
  committed_ = true;
}

}  // namespace korvun
