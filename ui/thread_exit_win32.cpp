#include "ui/thread_exit_win32.h"

namespace ui {

namespace {

// The stack DialogBoxParamA finds when it is jumped to: its return address,
// ExitThread, and its five arguments, then what ExitThread finds when
// DialogBoxParamA returns (both are stdcall, so each takes its arguments
// off): a return address that is never used, and the exit code.
struct DialogThenExit {
    void* exitThread;
    HINSTANCE instance;
    LPCSTR templateName;
    HWND owner;
    DLGPROC procedure;
    LPARAM param;
    void* unusedReturn;
    DWORD exitCode;
};

}  // namespace

void runDialogThenExitThread(HINSTANCE instance, int templateId, DLGPROC procedure, LPARAM param)
{
    const DialogThenExit frame = {reinterpret_cast<void*>(&::ExitThread),
                                  instance,
                                  MAKEINTRESOURCEA(templateId),
                                  nullptr,
                                  procedure,
                                  param,
                                  nullptr,
                                  0};
    auto dialogBox = &::DialogBoxParamA;
    asm volatile(
        "pushl 28(%0)\n\t"
        "pushl 24(%0)\n\t"
        "pushl 20(%0)\n\t"
        "pushl 16(%0)\n\t"
        "pushl 12(%0)\n\t"
        "pushl 8(%0)\n\t"
        "pushl 4(%0)\n\t"
        "pushl 0(%0)\n\t"
        "jmp *%1"
        :
        : "r"(&frame), "r"(dialogBox)
        : "memory");
    __builtin_unreachable();
}

}  // namespace ui
