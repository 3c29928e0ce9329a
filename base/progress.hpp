// Progress and log texts to the host's registered callback. The plug-in
// boundary adapts the host's function (and its calling convention) to a sink.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace korvun {

// Kinds of the host's progress callback.
enum ProgressKind : int { kPhase = 1, kPosition = 2, kLog = 3, kStatus = 4 };

// Receives (kind, value, text); the text is valid only during the call.
using ProgressSink = std::function<void(int32_t kind, int32_t value, const char* text)>;

class Reporter {
 public:
  Reporter() = default;
  explicit Reporter(ProgressSink sink) : callback_(std::move(sink)) {}
  void SetCallback(ProgressSink sink) { callback_ = std::move(sink); }
  bool Registered() const { return static_cast<bool>(callback_); }

  // Sends (kind, value, text) when a callback is registered. Text is
  // Windows-1252; it is valid only during the call.
  void Send(int kind, int value, std::string_view text) const;

  void Phase(int percent, std::string_view text) const { Send(kPhase, percent, text); }
  void Position(int percent) const { Send(kPosition, percent, ""); }
  void Log(std::string_view text) const { Send(kLog, 0, text); }
  void Status(int value, std::string_view text) const { Send(kStatus, value, text); }

 private:
  ProgressSink callback_;
};

}  // namespace korvun
