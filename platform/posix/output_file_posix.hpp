// Files written once from start to end, on POSIX systems.
#pragma once

#include <memory>
#include <string>

#include "platform/env.hpp"

namespace korvun {

// The path is in the file system's bytes (UTF-8). Null when the file cannot
// be created. On Linux what is written is handed to the disk in steps and
// dropped from the page cache some way behind the end, so that a file of
// hundreds of megabytes does not take that much memory.
std::unique_ptr<OutputFile> CreatePosixOutputFile(const std::string& path);

}  // namespace korvun
