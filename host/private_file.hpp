// The profile holds a PIN: it is written readable by its owner only, and
// replaced at once, so a reader sees the old or the new one, never half.
#pragma once

#include <string>

namespace korvun::host {

bool WritePrivateFileAtomically(const std::string& path, const std::string& data,
                                std::string* error);

}  // namespace korvun::host
