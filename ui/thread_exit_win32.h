// The window thread's way out: a thread of the DLL's own whose last frames
// are the system's, so that it can end after the library has gone.
#pragma once

#include <windows.h>

namespace ui {

// Runs the modal dialog `templateId` of `instance` with `procedure` and
// `param`, as DialogBoxParamA does, and ends the calling thread when the
// dialog ends: DialogBoxParamA returns straight into ExitThread, so no
// instruction of the DLL runs on this thread after the dialog's loop begins,
// but in the dialog's procedure.
[[noreturn]] void runDialogThenExitThread(HINSTANCE instance, int templateId, DLGPROC procedure, LPARAM param);

}  // namespace ui
