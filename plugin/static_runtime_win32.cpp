#include "plugin/static_runtime_win32.h"

#include <atomic>

// The static runtime (its threads library, behind the exceptions' and
// std::mutex's per-thread data) leaves two things in the process that
// outlast a load of the library unless we step in:
//  - A thread-local slot, taken on first use and never given back: one per
//    load.  A process has 1,088, so a host switching contests a thousand
//    times would find none left, and the runtime then aborts the host.
//  - A vectored exception handler, there only to swallow the exception
//    that names a thread for a debugger.  Every exception of every thread
//    of the host passes through it, and one in it while another thread
//    unloads the library would run on in unmapped code.  The library names
//    no thread, so the handler is never added: the runtime is told it could
//    not be, and then names no thread either.
//
// The link options send the runtime's references to these two functions
// here instead of to their imports.

namespace {

constexpr int kMaxSlots = 8;
std::atomic<DWORD> slots[kMaxSlots];
std::atomic<int> taken{0};

DWORD WINAPI allocateAndRemember();
PVOID WINAPI addNoHandler(ULONG, PVECTORED_EXCEPTION_HANDLER);

}  // namespace

extern "C" {
extern DWORD(WINAPI* const systemTlsAlloc)() asm("___real__imp__TlsAlloc@0");
extern DWORD(WINAPI* const runtimeTlsAlloc)() asm("___wrap__imp__TlsAlloc@0") = allocateAndRemember;
extern PVOID(WINAPI* const runtimeAddVectoredExceptionHandler)(ULONG, PVECTORED_EXCEPTION_HANDLER) asm(
    "___wrap__imp__AddVectoredExceptionHandler@8") = addNoHandler;
}

namespace {

DWORD WINAPI allocateAndRemember()
{
    const DWORD slot = systemTlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES)
        return slot;
    const int at = taken.fetch_add(1);
    if (at < kMaxSlots)
        slots[at] = slot;
    return slot;
}

PVOID WINAPI addNoHandler(ULONG, PVECTORED_EXCEPTION_HANDLER)
{
    return nullptr;
}

}  // namespace

// Nothing of this load reads the slots after this: the library's threads
// have left its code (contest/unload_gate_win32.h), and a thread that comes
// back through a gate finds the library gone.
void freeRuntimeThreadSlots()
{
    const int count = taken.exchange(0);
    for (int i = 0; i < count && i < kMaxSlots; ++i)
        ::TlsFree(slots[i]);
}
