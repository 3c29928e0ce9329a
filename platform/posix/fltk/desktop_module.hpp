// The contract between the library and its desktop module, which is loaded
// only when a display can be opened so the library itself needs no X11.
#pragma once

namespace korvun {
class Ui;

// Raised whenever the Ui table changes, so an old module is refused.
inline constexpr int kDesktopUiAbi = 1;
inline constexpr const char* kDesktopModuleFile = "libkorvun_ui_fltk.so";
inline constexpr const char* kDesktopFactoryName = "korvun_create_desktop_ui";

}  // namespace korvun

extern "C" {
// Returns a new desktop face, or null when the display cannot be opened or
// the ABI differs. The caller owns the result.
typedef korvun::Ui* (*KorvunDesktopUiFactory)(int abi);
}
