#include "ui/thread_exit_win32.h"

namespace ui {

// Both are stdcall: SetEvent pops its argument and "returns" to ExitThread,
// which then finds its own (never used) return address and exit code 0 on
// the stack, as if it had been called.
void signalAndExitThread(HANDLE event)
{
    auto setEvent = &::SetEvent;
    auto exitThread = &::ExitThread;
    asm volatile(
        "pushl $0\n\t"  // ExitThread's exit code
        "pushl $0\n\t"  // ExitThread's return address
        "pushl %0\n\t"  // SetEvent's argument
        "pushl %1\n\t"  // SetEvent's return address: ExitThread
        "jmp *%2"
        :
        : "r"(event), "r"(exitThread), "r"(setEvent)
        : "memory");
    __builtin_unreachable();
}

}  // namespace ui
