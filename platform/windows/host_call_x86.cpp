// The guarded call into the host on 32-bit Windows, in assembly: C++ can
// neither restore a stack pointer that a callee left off nor register a
// structured exception handler.
//
// korvun_host_call(fn, kind, value, text) keeps its own frame pointer, so
// after the call the stack is where it was, whether fn popped its three
// arguments (__stdcall) or not (__cdecl). Around the call it links an
// exception registration record into the thread's chain (fs:[0]):
//   [record + 0]  the previous record
//   [record + 4]  the handler below
//   [record + 8]  the frame pointer to resume with
//   [record + 12] the code of a caught exception, 0 when fn returned
// The handler claims every exception that reaches it from fn: it unwinds
// the host's frames above the record (RtlUnwind runs their own handlers),
// then resumes after the call with that frame pointer. Unwind calls (the
// record's frame being unwound by someone else) are passed on.
#include <windows.h>

#include "platform/host_call.hpp"

extern "C" uint32_t korvun_host_call(void* function, int32_t kind, int32_t value,
                                     const char* text);

asm(R"(
    .text
    .globl _korvun_host_call
    .def _korvun_host_call; .scl 2; .type 32; .endef
_korvun_host_call:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl $0                            # the record: code,
    pushl %ebp                          # frame pointer,
    pushl $_korvun_host_call_handler    # handler,
    pushl %fs:0                         # previous record
    movl %esp, %fs:0
    pushl 20(%ebp)
    pushl 16(%ebp)
    pushl 12(%ebp)
    call *8(%ebp)
L_korvun_host_call_resume:
    leal -28(%ebp), %esp                # whatever fn popped
    popl %fs:0
    addl $8, %esp
    popl %eax
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .def _korvun_host_call_handler; .scl 3; .type 32; .endef
_korvun_host_call_handler:
    movl 4(%esp), %eax                  # EXCEPTION_RECORD
    testl $6, 4(%eax)                   # EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
    jnz 1f
    movl 8(%esp), %edx                  # our record
    movl (%eax), %ecx                   # ExceptionCode; 0 would read as "returned"
    testl %ecx, %ecx
    jnz 2f
    decl %ecx
2:
    movl %ecx, 12(%edx)
    pushl $0
    pushl %eax
    pushl $0
    pushl %edx
    call *__imp__RtlUnwind@16           # (our record, -, the exception, 0)
    movl 8(%esp), %edx
    movl 8(%edx), %ebp
    jmp L_korvun_host_call_resume
1:
    movl $1, %eax                       # ExceptionContinueSearch
    ret
)");

namespace korvun {

HostCallResult CallHostFunction(void* function, int32_t kind, int32_t value, const char* text) {
  const uint32_t code = korvun_host_call(function, kind, value, text);
  return HostCallResult{code == 0, code};
}

}  // namespace korvun
