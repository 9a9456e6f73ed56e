// Test-side view of the plug-in's windows: a test with Stats.dll and a fake
// host, finding the panel and the multiplier window, pressing their
// controls, and reading back what they painted.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_host.h"
#include "contest/settings_win32.h"
#include "stats_dll.h"
#include "support/scratch_dir.h"

// Control ids of the mode panel and the multiplier window.
enum : int { kCwButton = 1003, kSsbButton = 1004, kPsk125Button = 1005, kViewMult = 1116, kGrid = 1003 };

// The host runs before the DLL loads and goes after it has unloaded.
class WindowsTest : public ::testing::Test {
protected:
    ScratchDir dir;
    FakeHost host;
    std::unique_ptr<StatsDll> dll = std::make_unique<StatsDll>();
    PrivateProfileSettings settings;

    void command(const char* name) { dll->RunCommand0(0, name); }
    // Opens the panel with "SHOWINFO" and waits until it shows.
    HWND showPanel();
    // One call check, as the host makes it while the operator types.
    void checkCall(const char* callsign);
};

// Ends the test program if the test has not finished in time, so that a
// deadlock fails instead of hanging.
class Watchdog {
public:
    explicit Watchdog(DWORD timeoutMs);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static DWORD WINAPI watch(void* self);

    HANDLE done_;
    HANDLE thread_;
    DWORD timeoutMs_;
};

// A second host thread with a message loop of its own, which never joins a
// COM apartment: it runs the calls it is given and pumps in between.
class PumpingHostThread {
public:
    PumpingHostThread();
    // Ends the thread, pumping meanwhile.
    ~PumpingHostThread();
    PumpingHostThread(const PumpingHostThread&) = delete;
    PumpingHostThread& operator=(const PumpingHostThread&) = delete;

    // Runs `call` there; the calling thread pumps until it has returned.
    void run(const std::function<void()>& call);

private:
    static DWORD WINAPI loop(void* self);

    HANDLE wake_;
    HANDLE thread_;
    std::function<void()> call_;
    bool stop_ = false;
    std::atomic<bool> busy_{false};
};

// Holds the thread of `window` inside a message hook of the test's, so that
// what is posted to it meanwhile waits, until this goes.
class HeldWindowThread {
public:
    explicit HeldWindowThread(HWND window);
    ~HeldWindowThread();
    HeldWindowThread(const HeldWindowThread&) = delete;
    HeldWindowThread& operator=(const HeldWindowThread&) = delete;

    bool held() const { return held_; }

private:
    HHOOK hook_ = nullptr;
    bool held_ = false;
};

// Visible dialog windows of this process with this title.
// The waits end as soon as their condition holds; their limits are for a
// machine so busy that a window takes seconds to come or go.
std::vector<HWND> ownWindows(const std::string& title);
HWND waitForWindow(const std::string& title, DWORD timeoutMs = 15000);
// After an unload the window thread leaves the DLL at once, but its windows
// go only when the thread itself ends, once the unload has let go of the
// loader lock: true when none with this title is left within the time.
bool windowsGoneAfterUnload(const std::string& title, DWORD timeoutMs = 30000);
HWND panelWindow();

// Where a loaded module's image lies, kept to look for its code after the
// module has gone.
class CodeRange {
public:
    explicit CodeRange(HMODULE module);
    bool contains(LONG_PTR address) const;

private:
    uintptr_t begin_;
    uintptr_t end_;
};

// Windows of this process, message-only and child windows included, whose
// window procedure or dialog procedure lies in `code`.
std::vector<HWND> windowsRunning(const CodeRange& code);

// Frees the library, on this thread or on another while this one waits
// without pumping; how long FreeLibrary took.
DWORD timedUnload(std::unique_ptr<StatsDll>& dll, bool fromAnotherThread);

std::string titleOf(HWND window);
// A button click as the control reports it, handled before this returns.
void click(HWND dialog, int id);
// The mouse passing over a window.
void hover(HWND window);
void moveWindow(HWND window, int x, int y);
// Sizes a window so that its client area is width x height.
void setClientSize(HWND window, int width, int height);

// What a window paints, read back pixel by pixel.
class Picture {
public:
    explicit Picture(HWND window);
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const;
    // True when every pixel of the box [left, right) x [top, bottom) has
    // this colour.
    bool all(int left, int top, int right, int bottom, COLORREF colour) const;
    // Left and right edge of the dark (text) pixels in the box; -1, -1 if none.
    std::pair<int, int> inkSpan(int left, int top, int right, int bottom) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> pixels_;
};
