// Unloading while the DLL's code is held up by the host: a call into the
// host that has not returned, or a hook of the host's that holds the window
// thread inside a click handler.  For every holder and every delay, the
// unload returns at once, nothing crashes when the holder lets go (the
// library stays loaded until then), and then the library, its windows and
// its thread go.  "Never" is a delay longer than any unload may wait: the
// library is still there when it ends, and goes only once the holder lets go.
#include <windows.h>

#include <gtest/gtest.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_dir.h"
#include "ui_helpers.h"

namespace {

constexpr DWORD kNever = 4000;
constexpr DWORD kUnloadBoundMs = 1000;

// Every delay, or those UNLOAD_HOLDER_DELAYS names ("0,600"), for measuring
// the worst unload over many repeats.
std::vector<DWORD> holderDelays()
{
    char chosen[64] = {};
    if (!::GetEnvironmentVariableA("UNLOAD_HOLDER_DELAYS", chosen, sizeof chosen))
        return {0, 600, 1000, 3000, kNever};
    std::vector<DWORD> delays;
    for (const char* at = chosen; *at; at += *at == ',')
        delays.push_back(std::strtoul(at, const_cast<char**>(&at), 10));
    return delays;
}

bool statsLoaded() { return ::GetModuleHandleA("Stats.dll") != nullptr; }

HANDLE threadOf(HWND window)
{
    return ::OpenThread(SYNCHRONIZE, FALSE, ::GetWindowThreadProcessId(window, nullptr));
}

// While a holder inside the DLL's code holds on, the library stays; once it
// lets go, the library, the windows and the window thread go.
void expectHeldThenGone(DWORD delayMs, HANDLE windowThread, bool heldInTheDllsCode = true)
{
    if (delayMs == kNever && heldInTheDllsCode)
        EXPECT_TRUE(statsLoaded()) << "the library went while its code was held";
    EXPECT_TRUE(pumpUntil([] { return !statsLoaded(); }, delayMs + 5000)) << "the library stays loaded";
    EXPECT_TRUE(windowsGoneAfterUnload("MODE"));
    EXPECT_TRUE(ownWindows("ZEMRIX  worked with DL1ABC").empty());
    EXPECT_EQ(::WaitForSingleObject(windowThread, 5000), WAIT_OBJECT_0) << "the window thread is left";
}

void report(const char* what, DWORD delayMs, DWORD unloadMs)
{
    std::printf("[ unload   ] %s, holder lets go after %lu ms: FreeLibrary %lu ms\n", what,
                static_cast<unsigned long>(delayMs), static_cast<unsigned long>(unloadMs));
}

class UnloadWhileHeld : public ::testing::Test {
protected:
    Watchdog watchdog{200000};
    ScratchDir dir;
    PrivateProfileSettings settings;
};

// Two hundred panels, each with its first refresh, take minutes on a busy
// machine.
class UnloadRepeatedly : public ::testing::Test {
protected:
    Watchdog watchdog{600000};
    ScratchDir dir;
    PrivateProfileSettings settings;
};

// The host object lives on the unloading thread, which stops pumping, or
// on a thread of its own that answers slowly; the panel was opened by a
// second host thread, whose courier is in a call when the host unloads.
TEST_F(UnloadWhileHeld, ACallIntoTheHostOutlastsTheUnloadWithoutACrash)
{
    struct Holder {
        const char* name;
        FakeHost::Apartment hostLives;
        bool fromAnotherThread;
    };
    const Holder holders[] = {
        {"host object on the unloading thread", FakeHost::CallingThread, false},
        {"slow host object on its own thread", FakeHost::OwnThread, false},
        {"slow host object, unloaded by a third thread", FakeHost::OwnThread, true},
    };
    for (const Holder& holder : holders) {
        for (DWORD delayMs : holderDelays()) {
            SCOPED_TRACE(std::string(holder.name) + ", " + std::to_string(delayMs) + " ms");
            FakeHost host(holder.hostLives);
            auto dll = std::make_unique<StatsDll>();
            PumpingHostThread opener;
            opener.run([&] { dll->RunCommand0(0, "SHOWINFO"); });
            ASSERT_TRUE(host.waitForEvent("macro <MODE:CW>"));
            HWND panel = waitForWindow("MODE");
            ASSERT_NE(panel, nullptr);
            HANDLE windowThread = threadOf(panel);

            // The host is slow before the click, or a busy machine lets the
            // call through before the delay is set.
            if (holder.hostLives == FakeHost::OwnThread)
                host.delayCalls(delayMs);
            ::PostMessageA(panel, WM_COMMAND, MAKEWPARAM(kSsbButton, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(panel, kSsbButton)));
            if (holder.hostLives == FakeHost::OwnThread) {
                ASSERT_TRUE(host.waitForEvent("macro <MODE:SSB>")) << "the call under way";
            } else {
                ::Sleep(300);  // the courier's call waits for this thread to pump
            }
            const DWORD unloadMs = timedUnload(dll, holder.fromAnotherThread);
            report(holder.name, delayMs, unloadMs);
            EXPECT_LT(unloadMs, kUnloadBoundMs);
            if (holder.hostLives == FakeHost::CallingThread) {
                ::Sleep(delayMs);  // the host answers only when it pumps again
                EXPECT_TRUE(statsLoaded()) << "the library went under a call";
            }
            expectHeldThenGone(delayMs, windowThread);
            ::CloseHandle(windowThread);
        }
    }
}

BOOL CALLBACK findVisibleDialog(HWND window, LPARAM found)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || !::IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND dialogOfThread(DWORD thread)
{
    HWND found = nullptr;
    ::EnumThreadWindows(thread, findVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A host's thread inside an export that waits for the operator (the setup
// notice, as the "Output" box of the results), while another unloads.
TEST_F(UnloadWhileHeld, AnExportStillOpenOnAnotherThreadOutlastsTheUnloadWithoutACrash)
{
    for (DWORD delayMs : holderDelays()) {
        SCOPED_TRACE(std::to_string(delayMs) + " ms");
        FakeHost host;
        auto dll = std::make_unique<StatsDll>();
        dll->RunCommand0(0, "SHOWINFO");
        HWND panel = waitForWindow("MODE");
        ASSERT_NE(panel, nullptr);
        HANDLE windowThread = threadOf(panel);
        const auto setup = dll->SetupSet0;
        std::atomic<DWORD> boxThread{0};
        std::thread operatorReads([&] {
            boxThread = ::GetCurrentThreadId();
            setup();
        });
        ASSERT_TRUE(pumpUntil([&] { return boxThread && dialogOfThread(boxThread) != nullptr; }));

        const DWORD unloadMs = timedUnload(dll, false);
        report("an export's box open", delayMs, unloadMs);
        EXPECT_LT(unloadMs, kUnloadBoundMs);
        pumpFor(delayMs);
        EXPECT_TRUE(statsLoaded()) << "the library went under an export";
        ::PostMessageA(dialogOfThread(boxThread), WM_COMMAND, IDOK, 0);
        operatorReads.join();
        expectHeldThenGone(0, windowThread);
        ::CloseHandle(windowThread);
    }
}

// A host's hook on the window thread that holds it once, for a while: inside
// the panel's click handler (which enables the other button, and the hook
// on the sent message waits), or in the dialog loop's GetMessage, outside
// the DLL's code.
struct HookHold {
    HANDLE entered = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD holdMs = 0;
};
HookHold* hookHold;

void holdOnce()
{
    if (::WaitForSingleObject(hookHold->entered, 0) == WAIT_OBJECT_0)
        return;
    ::SetEvent(hookHold->entered);
    ::Sleep(hookHold->holdMs);
}

LRESULT CALLBACK holdOnEnable(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_ENABLE)
        holdOnce();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK holdOnGetMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<const MSG*>(lParam)->message == WM_NULL)
        holdOnce();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(UnloadWhileHeld, AHostHookHoldingTheWindowThreadOutlastsTheUnloadWithoutACrash)
{
    struct Hook {
        const char* name;
        int kind;
        HOOKPROC procedure;
        UINT trigger;
        bool inTheDllsCode;
    };
    const Hook hooks[] = {
        {"hook in a click handler", WH_CALLWNDPROC, holdOnEnable, WM_COMMAND, true},
        {"hook on GetMessage", WH_GETMESSAGE, holdOnGetMessage, WM_NULL, false},
    };
    for (const Hook& hook : hooks) {
        for (bool fromAnotherThread : {false, true}) {
            for (DWORD delayMs : holderDelays()) {
                SCOPED_TRACE(std::string(hook.name) + (fromAnotherThread ? ", another thread unloads" : "") + ", " +
                             std::to_string(delayMs) + " ms");
                settings.write("DXCC", "1");
                FakeHost host;
                auto dll = std::make_unique<StatsDll>();
                dll->RunCommand0(0, "SHOWINFO");
                HWND panel = waitForWindow("MODE");
                ASSERT_NE(panel, nullptr);
                HANDLE windowThread = threadOf(panel);
                HookHold hold;
                hold.holdMs = delayMs;
                hookHold = &hold;
                HHOOK hooked = ::SetWindowsHookExA(hook.kind, hook.procedure, nullptr,
                                                   ::GetWindowThreadProcessId(panel, nullptr));
                ASSERT_NE(hooked, nullptr);

                ::PostMessageA(panel, hook.trigger, MAKEWPARAM(kSsbButton, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(panel, kSsbButton)));
                ASSERT_EQ(::WaitForSingleObject(hold.entered, 5000), WAIT_OBJECT_0) << "the window thread held";
                const DWORD unloadMs = timedUnload(dll, fromAnotherThread);
                report(hook.name, delayMs, unloadMs);
                EXPECT_LT(unloadMs, kUnloadBoundMs);
                expectHeldThenGone(delayMs, windowThread, hook.inTheDllsCode);
                ::UnhookWindowsHookEx(hooked);
                ::CloseHandle(hold.entered);
                ::CloseHandle(windowThread);
            }
        }
    }
}

// The memory the process has committed for itself in its address space
// (Wine leaves PrivateUsage at 0).
SIZE_T committedPrivate()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    return total;
}

SIZE_T workingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

// Slots are handed out lowest first, so the first free one rises with every
// slot a load of the library keeps.
DWORD firstFreeThreadSlot()
{
    const DWORD slot = ::TlsAlloc();
    ::TlsFree(slot);
    return slot;
}

int threadsOfThisProcess()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

// A contest switch with the panel and the multiplier window open, over and
// over: each unload leaves nothing behind.  Under Wine the working set is
// the whole Unix process, where a window's drawing surface lies (a window
// its thread's exit destroys keeps it); the memory committed in the
// process's address space is what the DLL and Wine's own COM keep.  Both
// are held to the bound.  A thread-local slot kept per load would run the
// process out of them after about a thousand switches.
TEST_F(UnloadRepeatedly, WithThePanelOpenLeavesNoMemorySlotThreadOrWindow)
{
    constexpr int kCycles = 200;
    constexpr SIZE_T kGrowthBound = 10u << 20;
    settings.write("DXCC", "1");
    FakeHost host;
    host.setEntryField("DL1ABC");
    const auto cycle = [&] {
        auto dll = std::make_unique<StatsDll>();
        char message[100] = {};
        dll->RunCommand0(0, "SHOWINFO");
        dll->checkCall("DL1ABC", "CW", "20m", message);
        ASSERT_TRUE(pumpUntil([] { return !ownWindows("ZEMRIX  worked with DL1ABC").empty(); }));
        dll.reset();
        ASSERT_TRUE(windowsGoneAfterUnload("MODE"));
    };
    for (int i = 0; i < 5; ++i)
        cycle();
    const int threadsBefore = threadsOfThisProcess();
    const DWORD slotBefore = firstFreeThreadSlot();
    const SIZE_T privateBefore = committedPrivate(), workingBefore = workingSet();
    for (int i = 0; i < kCycles && !HasFatalFailure(); ++i)
        cycle();
    pumpUntil([&] { return threadsOfThisProcess() <= threadsBefore; });
    const SIZE_T privateGrowth = committedPrivate() - privateBefore, workingGrowth = workingSet() - workingBefore;
    std::printf("[ memory   ] %d cycles: private %+ld KB, working set %+ld KB\n", kCycles,
                static_cast<long>(privateGrowth) / 1024, static_cast<long>(workingGrowth) / 1024);
    EXPECT_LE(static_cast<long>(privateGrowth), static_cast<long>(kGrowthBound));
    EXPECT_LE(static_cast<long>(workingGrowth), static_cast<long>(kGrowthBound));
    EXPECT_LE(threadsOfThisProcess(), threadsBefore);
    EXPECT_LT(firstFreeThreadSlot(), slotBefore + 8);
    EXPECT_TRUE(ownWindows("MODE").empty());
}

// Every exception of every host thread passes through the process's
// vectored handlers, so a handler of the library's could be running when
// another thread unloads it.  The library adds none: an exception the host
// raises while it is loaded reaches the handler the host put first in line
// before the load, even the one the runtime's handler would swallow (a
// thread being named for a debugger).
std::atomic<int> namingsSeen{0};

LONG CALLBACK seeThreadNaming(EXCEPTION_POINTERS* exception)
{
    constexpr DWORD kThreadNaming = 0x406D1388;
    if (exception->ExceptionRecord->ExceptionCode != kThreadNaming)
        return EXCEPTION_CONTINUE_SEARCH;
    ++namingsSeen;
    return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(LoadedLibrary, LeavesTheHostsExceptionsToTheHost)
{
    PVOID firstInLine = ::AddVectoredExceptionHandler(1, seeThreadNaming);
    ASSERT_NE(firstInLine, nullptr);
    {
        ScratchDir dir;
        StatsDll dll;
        dll.result();
        const ULONG_PTR naming[] = {0x1000, reinterpret_cast<ULONG_PTR>("host"), ::GetCurrentThreadId(), 0};
        ::RaiseException(0x406D1388, 0, 4, naming);
    }
    ::RemoveVectoredExceptionHandler(firstInLine);
    EXPECT_EQ(namingsSeen, 1);
}

}  // namespace
