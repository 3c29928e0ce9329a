// Calls into the host application's own code (its progress function), which
// we neither built nor can trust to keep our conventions.
#pragma once

#include <cstdint>

namespace korvun {

// What came of a call into the host.
struct HostCallResult {
  bool returned = true;        // false: the host raised a system exception
  uint32_t exceptionCode = 0;  // its code, when it raised one
};

// Calls function(kind, value, text), a host function declared __stdcall on
// 32-bit Windows. There the stack is restored whatever the function popped,
// so a host built with the cdecl convention is served too; and a system
// exception that the host raises in it and does not handle itself is caught
// after the host's own frames have unwound, so that it never passes through
// ours (whose destructors it would skip, leaving the run's threads running
// on a stack that is gone). Elsewhere a plain call.
HostCallResult CallHostFunction(void* function, int32_t kind, int32_t value, const char* text);

}  // namespace korvun
