// Opening documents on a Linux desktop, shared by every face.
#pragma once

#include <string>

namespace korvun {

// The manual beside the host program: its folder + "Korvun/ZUV/Die
// Schnittstelle zur ZUV.pdf" (file-system bytes).
std::string ManualPath();

// Hands a file (file-system bytes) to xdg-open and returns without waiting for
// the viewer; a failure has no effect, like a missing file.
void OpenWithDesktop(const std::string& path);

}  // namespace korvun
