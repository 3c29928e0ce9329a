// The --version text of the command-line programs, in the form GNU
// programs print it: name, package and version, then copyright.
#pragma once

#include <cstdio>

#include "base/product.hpp"

namespace korvun {

inline void PrintProgramVersion(const char* program) {
  std::printf("%s (KorvunZUV) %s\n"
              "Copyright (C) 2026 KorvunZUV developers.\n"
              "This is proprietary software; see /usr/share/doc/korvun-zuv/copyright.\n",
              program, kImportVersion);
}

}  // namespace korvun
