#include "plugin/thread_slots_win32.h"

#include <atomic>

// The static runtime (its threads library, behind the exceptions' and
// std::mutex's per-thread data) takes a thread-local slot of the process on
// first use and never gives it back: one slot per load of the library.  A
// process has 1,088 slots, so a host switching contests a thousand times
// would find none left, and the runtime aborts the host when it finds none.
//
// The link options send the runtime's references to TlsAlloc here instead
// of to the import, so that the slots it took are known and are given back
// as the library unloads.  Nothing of this load reads them after that: the
// library's threads have left its code (contest/unload_gate_win32.h), and
// a thread that comes back through a gate finds the library gone.

namespace {

constexpr int kMaxSlots = 8;
std::atomic<DWORD> slots[kMaxSlots];
std::atomic<int> taken{0};

DWORD WINAPI allocateAndRemember();

}  // namespace

extern "C" {
extern DWORD(WINAPI* const systemTlsAlloc)() asm("___real__imp__TlsAlloc@0");
extern DWORD(WINAPI* const runtimeTlsAlloc)() asm("___wrap__imp__TlsAlloc@0") = allocateAndRemember;
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

}  // namespace

void freeRuntimeThreadSlots()
{
    const int count = taken.exchange(0);
    for (int i = 0; i < count && i < kMaxSlots; ++i)
        ::TlsFree(slots[i]);
}
