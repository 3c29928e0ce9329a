// Opening documents on a Linux desktop, shared by every face.
#pragma once

#include <string>

namespace korvun {

// The manual (file-system bytes): beside the host program, its folder +
// "Korvun/ZUV/Die Schnittstelle zur ZUV.pdf"; when that file is absent, the
// installed one in the package's doc folder, found from the folder of the
// library (or desktop module) that holds this code.
std::string ManualPath();

// The choice behind ManualPath, for given folders (each ending with "/"):
// beside the program first, else the doc folder's copy if it exists, else
// the place beside the program.
std::string ChooseManualPath(const std::string& programDir, const std::string& libraryDir);

// Hands a file (file-system bytes) to xdg-open and returns without waiting for
// the viewer; a failure has no effect, like a missing file.
void OpenWithDesktop(const std::string& path);

}  // namespace korvun
