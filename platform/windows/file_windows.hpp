// Files and folders on Windows through the narrow (ANSI code page) API: the
// core's Windows-1252 paths are what the system takes as they are.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.hpp"

namespace korvun {

Status NewWindowsSequentialFile(const std::string& path, std::unique_ptr<SequentialFile>* result);
Status NewWindowsRandomAccessFile(const std::string& path,
                                  std::unique_ptr<RandomAccessFile>* result);
Status NewWindowsWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result);
Status WriteWindowsFileAtomically(const std::string& path, std::string_view data);
Status RenameWindowsFile(const std::string& from, const std::string& to);
Status RemoveWindowsFile(const std::string& path);
Status GetWindowsChildren(const std::string& dir, std::vector<FolderEntry>* entries);
Status CreateWindowsDir(const std::string& dir);
bool WindowsFileExists(const std::string& path);
Status SetWindowsFileTime(const std::string& path, std::chrono::system_clock::time_point time);

}  // namespace korvun
