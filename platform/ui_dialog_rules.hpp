// How the dialogs compose their texts and take their fields; shared by the
// desktop and the terminal so both read alike. Windows-1252 in and out.
#pragma once

#include <string>

#include "platform/ui_texts.hpp"

namespace korvun {

inline std::string PasswordCaption(const std::string& importName) {
  return importName + ui_text::kPasswordCaptionSuffix;
}

// Reads together with the first line: "... Login-ID <4711> für die ZUV-Depotschnittstelle ein: ".
inline std::string PasswordInfoLine(const std::string& importName, const std::string& login) {
  return "<" + login + ui_text::kPasswordInfoMiddle + importName + ui_text::kPasswordInfoEnd;
}

// An edit field of the access-data dialog takes at most this much of a text.
inline std::string AccessFieldText(const std::string& text) {
  return text.substr(0, ui_text::kAccessFieldLimit);
}

}  // namespace korvun
