// The service manager's states as the database server check reads them.
#pragma once

#include <string_view>

namespace korvun {

// A systemd unit's ActiveState ("active", "activating", "reloading",
// "deactivating", "inactive", "failed"). Running is every state but
// stopped: a server that is starting or reloading must not be started again.
inline bool ServiceStateIsRunning(std::string_view activeState) {
  return !activeState.empty() && activeState != "inactive" && activeState != "failed" &&
         activeState != "unknown";
}

// A unit whose start job still runs.
inline bool ServiceStateIsStarting(std::string_view activeState) {
  return activeState == "activating";
}

}  // namespace korvun
