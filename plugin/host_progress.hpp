// The host's registered progress function as the run's reporter sink.
#pragma once

#include <cstdint>

#include "base/progress.hpp"
#include "include/korvun_zuv.h"

namespace korvun {

// Thrown through the run when the host raised a system exception in its
// progress function (some hosts abort a run that way): the host has left the
// run, which ends as cancelled, its files closed and its threads joined on
// the way out. Deliberately no std::exception, so that no stage takes it
// for a failure of its own.
struct HostLeftRun {
  uint32_t exceptionCode;
};

// Calls the host's function through the guard of platform/host_call.hpp.
// Once the host has raised, *left is set and nothing more reaches the host
// until the next run clears it.
ProgressSink HostProgressSink(KorvunProgressCallback function, bool* left);

}  // namespace korvun
