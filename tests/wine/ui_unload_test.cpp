// Unloading the plug-in with its windows open while the host's thread, where
// the host object lives, is busy: a call check has armed the multiplier
// window's refresh, the host neither pumps nor answers, then frees the
// library.  FreeLibrary returns at once whatever the window thread is doing
// (a menu, a move loop, a message hook of the host's that keeps it busy
// allocating), no window runs the DLL's code afterwards, and the host goes
// on pumping and allocating.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "ui_helpers.h"

namespace {

enum class WindowThreadIs { Idle, InTheSystemMenu, MovingThePanel, HookedByTheHost };

struct UnloadCase {
    const char* name;
    DWORD busyMs;  // after the call check, before FreeLibrary
    WindowThreadIs doing;
    bool fromAnotherThread;
    int hook = 0;  // with HookedByTheHost: WH_GETMESSAGE or WH_CALLWNDPROC
    // The panel opened by a second, pumping host thread, whose courier is
    // in a call into a slow host object on a third thread at the unload.
    bool courierInACallElsewhere = false;
};

// A host's message hook on the window thread that spends each call
// allocating and freeing, blocks large enough to take a system call while
// the heap is locked, so that the thread is most likely inside the heap
// whenever one looks; the message hook also keeps the thread's queue full.
void allocateForAWhile()
{
    constexpr DWORD kBusyMs = 300;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kBusyMs) {
        for (SIZE_T size = 16; size <= 4 << 20; size *= 4)
            ::HeapFree(::GetProcessHeap(), 0, ::HeapAlloc(::GetProcessHeap(), 0, size));
    }
}

LRESULT CALLBACK busyMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    allocateForAWhile();
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->hwnd)
        ::PostMessageA(message->hwnd, WM_NULL, 0, 0);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK busySendHook(int code, WPARAM wParam, LPARAM lParam)
{
    allocateForAWhile();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HHOOK hook(int kind, HWND panel)
{
    const DWORD windowThread = ::GetWindowThreadProcessId(panel, nullptr);
    HOOKPROC procedure = kind == WH_GETMESSAGE ? busyMessageHook : busySendHook;
    HHOOK hooked = ::SetWindowsHookExA(kind, procedure, nullptr, windowThread);
    if (hooked && kind == WH_GETMESSAGE)
        ::PostMessageA(panel, WM_NULL, 0, 0);
    return hooked;
}

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
    case WindowThreadIs::HookedByTheHost:
        return true;
    }
    return false;
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
        {"message hook allocating", 400, WindowThreadIs::HookedByTheHost, false, WH_GETMESSAGE},
        {"send hook allocating", 400, WindowThreadIs::HookedByTheHost, false, WH_CALLWNDPROC},
        {"another thread, message hook allocating", 400, WindowThreadIs::HookedByTheHost, true, WH_GETMESSAGE},
        {"courier in a call on the opener's thread", 0, WindowThreadIs::Idle, false, 0, true},
    };
    for (const UnloadCase& c : cases) {
        SCOPED_TRACE(c.name);
        settings.write("DXCC", "1");
        FakeHost host(c.courierInACallElsewhere ? FakeHost::OwnThread : FakeHost::CallingThread);
        host.setEntryField("DL1ABC");
        auto dll = std::make_unique<StatsDll>();
        const CodeRange code(dll->module());
        std::unique_ptr<PumpingHostThread> opener;
        if (c.courierInACallElsewhere) {
            opener = std::make_unique<PumpingHostThread>();
            opener->run([&] { dll->RunCommand0(0, "SHOWINFO"); });
        } else {
            dll->RunCommand0(0, "SHOWINFO");
        }
        ASSERT_TRUE(host.waitForEvent("frequency")) << "the multiplier window's first refresh";
        ASSERT_TRUE(enter(c.doing, panelWindow()));
        HHOOK hooked = c.hook ? hook(c.hook, panelWindow()) : nullptr;
        ASSERT_EQ(hooked != nullptr, c.hook != 0);

        host.clearEvents();
        char message[100] = {};
        if (c.courierInACallElsewhere)
            host.delayCalls(150);
        dll->checkCall("DL1ABC", "CW", "20m", message);
        if (c.courierInACallElsewhere)
            ASSERT_TRUE(host.waitForEvent("entry"));
        ::Sleep(c.busyMs);
        const DWORD unloadMs = timedUnload(dll, c.fromAnotherThread);
        if (c.courierInACallElsewhere) {
            // The call under way holds the library until it has returned;
            // nothing new starts after that.
            EXPECT_TRUE(pumpUntil([] { return ::GetModuleHandleA("Stats.dll") == nullptr; }));
            host.clearEvents();
        }
        EXPECT_LT(unloadMs, 1000u);
        std::printf("[ unload   ] %s: %lu ms\n", c.name, static_cast<unsigned long>(unloadMs));
        EXPECT_TRUE(windowsRunning(code).empty());

        // The window thread ends once the loader lets it; its windows go
        // with it, a hooked thread's more slowly.
        pumpFor(300);
        EXPECT_TRUE(host.events().empty()) << "a call into the host after the unload";
        // A hook that holds every message makes each of the windows'
        // goodbyes slow.
        EXPECT_TRUE(pumpUntil([] { return ownWindows("MODE").empty(); }, hooked ? 30000 : 5000));
        EXPECT_TRUE(ownWindows("ZEMRIX  worked with DL1ABC").empty());
        if (hooked)
            ::UnhookWindowsHookEx(hooked);
        std::vector<char> stillAllocating(1 << 20, 'x');
        EXPECT_EQ(stillAllocating.back(), 'x');
    }
}

}  // namespace
