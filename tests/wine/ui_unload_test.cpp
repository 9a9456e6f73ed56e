// Unloading the plug-in with its windows open while the host's thread, where
// the host object lives, is busy: a call check has armed the multiplier
// window's refresh, the host neither pumps nor answers, then frees the
// library.  FreeLibrary returns at once whatever the window thread is doing,
// no window runs the DLL's code afterwards, and the host goes on pumping.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui_helpers.h"

namespace {

enum class WindowThreadIs { Idle, InTheSystemMenu, MovingThePanel };

struct UnloadCase {
    const char* name;
    DWORD busyMs;  // after the call check, before FreeLibrary
    WindowThreadIs doing;
    bool fromAnotherThread;
};

DWORD guiFlagsOfThreadOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.flags;
}

// The panel in a modal loop of its own, as when the operator holds its
// system menu open or drags it, when the host unloads.
bool enter(WindowThreadIs doing, HWND panel)
{
    switch (doing) {
    case WindowThreadIs::Idle:
        return true;
    case WindowThreadIs::InTheSystemMenu:
        ::PostMessageA(panel, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        return pumpUntil([&] { return (guiFlagsOfThreadOf(panel) & GUI_INMENUMODE) != 0; });
    case WindowThreadIs::MovingThePanel:
        ::PostMessageA(panel, WM_SYSCOMMAND, SC_MOVE, 0);
        return pumpUntil([&] { return (guiFlagsOfThreadOf(panel) & GUI_INMOVESIZE) != 0; });
    }
    return false;
}

DWORD WINAPI freeLibrary(void* dll)
{
    static_cast<std::unique_ptr<StatsDll>*>(dll)->reset();
    return 0;
}

// On this thread, or on another while this one waits without pumping.
void unload(std::unique_ptr<StatsDll>& dll, bool fromAnotherThread)
{
    if (!fromAnotherThread) {
        dll.reset();
        return;
    }
    HANDLE unloader = ::CreateThread(nullptr, 0, freeLibrary, &dll, 0, nullptr);
    ::WaitForSingleObject(unloader, INFINITE);
    ::CloseHandle(unloader);
}

class UnloadWithWindowsOpen : public ::testing::Test {
protected:
    Watchdog watchdog{120000};
    ScratchDir dir;
    PrivateProfileSettings settings;
};

TEST_F(UnloadWithWindowsOpen, ReturnsAtOnceAndLeavesNothingRunningWhileTheHostIsBusy)
{
    const UnloadCase cases[] = {
        {"not busy", 0, WindowThreadIs::Idle, false},
        {"busy short of the refresh", 200, WindowThreadIs::Idle, false},
        {"busy past the refresh", 400, WindowThreadIs::Idle, false},
        {"busy for long", 1000, WindowThreadIs::Idle, false},
        {"system menu open", 400, WindowThreadIs::InTheSystemMenu, false},
        {"panel being moved", 400, WindowThreadIs::MovingThePanel, false},
        {"unloaded by another thread", 400, WindowThreadIs::Idle, true},
        {"another thread, system menu open", 400, WindowThreadIs::InTheSystemMenu, true},
    };
    for (const UnloadCase& c : cases) {
        SCOPED_TRACE(c.name);
        settings.write("DXCC", "1");
        FakeHost host(FakeHost::CallingThread);
        host.setEntryField("DL1ABC");
        auto dll = std::make_unique<StatsDll>();
        const CodeRange code(dll->module());
        dll->RunCommand0(0, "SHOWINFO");
        ASSERT_TRUE(host.waitForEvent("frequency")) << "the multiplier window's first refresh";
        ASSERT_TRUE(enter(c.doing, panelWindow()));

        host.clearEvents();
        char message[100] = {};
        dll->checkCall("DL1ABC", "CW", "20m", message);
        ::Sleep(c.busyMs);
        const DWORD start = ::GetTickCount();
        unload(dll, c.fromAnotherThread);
        EXPECT_LT(::GetTickCount() - start, 1000u);
        EXPECT_TRUE(windowsRunning(code).empty());

        pumpFor(300);
        EXPECT_TRUE(host.events().empty()) << "a call into the host after the unload";
        EXPECT_TRUE(ownWindows("MODE").empty());
        EXPECT_TRUE(ownWindows("ZEMRIX  worked with DL1ABC").empty());
    }
}

}  // namespace
