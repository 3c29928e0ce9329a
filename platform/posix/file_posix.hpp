// Files and folders on POSIX systems. Paths come as the core has them, in
// Windows-1252, and are taken to the file system as UTF-8; the messages of
// failures name them as given.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.hpp"

namespace korvun {

// The bytes the file system knows the path by.
std::string PosixPath(const std::string& path);

// Writes all bytes, going on after interrupted and partial writes.
bool WriteAll(int fd, const char* data, size_t size);

Status NewPosixSequentialFile(const std::string& path, std::unique_ptr<SequentialFile>* result);
Status NewPosixRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* result);
Status NewPosixWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result);
Status WritePosixFileAtomically(const std::string& path, std::string_view data);
Status RenamePosixFile(const std::string& from, const std::string& to);
Status RemovePosixFile(const std::string& path);
Status GetPosixChildren(const std::string& dir, std::vector<FolderEntry>* entries);
Status CreatePosixDir(const std::string& dir);
bool PosixFileExists(const std::string& path);
Status SetPosixFileTime(const std::string& path, std::chrono::system_clock::time_point time);

}  // namespace korvun
