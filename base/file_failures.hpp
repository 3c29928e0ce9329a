// The German texts of failed file operations, shared by every platform's
// files: a -40 status whose detail names the path as the core gave it.
#pragma once

#include <string>

#include "base/status.hpp"

namespace korvun {

inline constexpr char kCannotOpen[] = "Datei kann nicht ge\xF6" "ffnet werden";
inline constexpr char kCannotRead[] = "Datei kann nicht gelesen werden";
inline constexpr char kCannotCreate[] = "Datei kann nicht angelegt werden";
inline constexpr char kCannotWrite[] = "Datei kann nicht geschrieben werden";
inline constexpr char kCannotRename[] = "Datei kann nicht umbenannt werden";
inline constexpr char kCannotRemove[] = "Datei kann nicht gel\xF6scht werden";
inline constexpr char kCannotList[] = "Ordner kann nicht gelesen werden";
inline constexpr char kCannotCreateDir[] = "Ordner kann nicht angelegt werden";
inline constexpr char kCannotSetTime[] = "Dateizeit kann nicht gesetzt werden";

inline Status FileFailure(const char* what, const std::string& path) {
  return Status::Unexpected(std::string(what) + ": " + path);
}

}  // namespace korvun
