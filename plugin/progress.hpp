// Progress and log texts to the host's registered callback.
#pragma once

#include <string_view>

#include "plugin/export_api.hpp"

namespace korvun {

// Kinds of the host's progress callback.
enum ProgressKind : int { kPhase = 1, kPosition = 2, kLog = 3, kStatus = 4 };

class Reporter {
 public:
  explicit Reporter(ProgressCallback callback = nullptr) : callback_(callback) {}
  void SetCallback(ProgressCallback callback) { callback_ = callback; }
  bool Registered() const { return callback_ != nullptr; }

  // Sends (kind, value, text) when a callback is registered. Text is
  // Windows-1252; it is valid only during the call.
  void Send(int kind, int value, std::string_view text) const;

  void Phase(int percent, std::string_view text) const { Send(kPhase, percent, text); }
  void Position(int percent) const { Send(kPosition, percent, ""); }
  void Log(std::string_view text) const { Send(kLog, 0, text); }
  void Status(int value, std::string_view text) const { Send(kStatus, value, text); }

 private:
  ProgressCallback callback_;
};

}  // namespace korvun
