#include "ui_helpers.h"

#include <cstdio>

namespace {

struct WindowSearch {
    std::string title;
    std::vector<HWND> found;
};

BOOL CALLBACK collectOwnWindow(HWND window, LPARAM search)
{
    auto* s = reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && std::string(className) == "#32770" &&
        titleOf(window) == s->title)
        s->found.push_back(window);
    return TRUE;
}

}  // namespace

HWND WindowsTest::showPanel()
{
    command("SHOWINFO");
    return waitForWindow("MODE");
}

void WindowsTest::checkCall(const char* callsign)
{
    char message[100] = {};
    dll->checkCall(callsign, "CW", "20m", message);
}

Watchdog::Watchdog(DWORD timeoutMs) : done_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), timeoutMs_(timeoutMs)
{
    thread_ = ::CreateThread(nullptr, 0, watch, this, 0, nullptr);
}

DWORD WINAPI Watchdog::watch(void* self)
{
    auto* watchdog = static_cast<Watchdog*>(self);
    if (::WaitForSingleObject(watchdog->done_, watchdog->timeoutMs_) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "watchdog: the test hangs\n");
        ::ExitProcess(3);
    }
    return 0;
}

Watchdog::~Watchdog()
{
    ::SetEvent(done_);
    ::WaitForSingleObject(thread_, INFINITE);
    ::CloseHandle(thread_);
    ::CloseHandle(done_);
}

PumpingHostThread::PumpingHostThread() : wake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    thread_ = ::CreateThread(nullptr, 0, loop, this, 0, nullptr);
}

PumpingHostThread::~PumpingHostThread()
{
    run([this] { stop_ = true; });
    pumpUntil([this] { return ::WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }, 10000);
    ::CloseHandle(thread_);
    ::CloseHandle(wake_);
}

void PumpingHostThread::run(const std::function<void()>& call)
{
    call_ = call;
    busy_ = true;
    ::SetEvent(wake_);
    pumpUntil([this] { return !busy_; }, 30000);
}

DWORD WINAPI PumpingHostThread::loop(void* self)
{
    auto* host = static_cast<PumpingHostThread*>(self);
    while (!host->stop_) {
        if (::MsgWaitForMultipleObjects(1, &host->wake_, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0) {
            host->call_();
            host->busy_ = false;
        }
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return 0;
}

namespace {

HANDLE threadHeld = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
HANDLE threadReleased = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);

LRESULT CALLBACK holdingHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (::WaitForSingleObject(threadHeld, 0) == WAIT_TIMEOUT) {
        ::SetEvent(threadHeld);
        ::WaitForSingleObject(threadReleased, 10000);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

HeldWindowThread::HeldWindowThread(HWND window)
{
    ::ResetEvent(threadHeld);
    ::ResetEvent(threadReleased);
    hook_ = ::SetWindowsHookExA(WH_GETMESSAGE, holdingHook, nullptr, ::GetWindowThreadProcessId(window, nullptr));
    held_ = hook_ && ::PostMessageA(window, WM_NULL, 0, 0) &&
            ::WaitForSingleObject(threadHeld, 5000) == WAIT_OBJECT_0;
}

HeldWindowThread::~HeldWindowThread()
{
    ::SetEvent(threadReleased);
    if (hook_)
        ::UnhookWindowsHookEx(hook_);
}

std::vector<HWND> ownWindows(const std::string& title)
{
    WindowSearch search{title, {}};
    ::EnumWindows(collectOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool windowsGoneAfterUnload(const std::string& title, DWORD timeoutMs)
{
    return pumpUntil([&] { return ownWindows(title).empty(); }, timeoutMs);
}

HWND waitForWindow(const std::string& title, DWORD timeoutMs)
{
    HWND window = nullptr;
    pumpUntil(
        [&] {
            const std::vector<HWND> found = ownWindows(title);
            window = found.empty() ? nullptr : found.front();
            return window != nullptr;
        },
        timeoutMs);
    return window;
}

namespace {

DWORD WINAPI freeLibrary(void* dll)
{
    static_cast<std::unique_ptr<StatsDll>*>(dll)->reset();
    return 0;
}

}  // namespace

DWORD timedUnload(std::unique_ptr<StatsDll>& dll, bool fromAnotherThread)
{
    const DWORD start = ::GetTickCount();
    if (fromAnotherThread) {
        HANDLE unloader = ::CreateThread(nullptr, 0, freeLibrary, &dll, 0, nullptr);
        ::WaitForSingleObject(unloader, INFINITE);
        ::CloseHandle(unloader);
    } else {
        dll.reset();
    }
    return ::GetTickCount() - start;
}

HWND panelWindow()
{
    const std::vector<HWND> found = ownWindows("MODE");
    return found.empty() ? nullptr : found.front();
}

CodeRange::CodeRange(HMODULE module) : begin_(reinterpret_cast<uintptr_t>(module)), end_(begin_)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const char*>(module) + dos->e_lfanew);
    end_ = begin_ + nt->OptionalHeader.SizeOfImage;
}

bool CodeRange::contains(LONG_PTR address) const
{
    const auto at = static_cast<uintptr_t>(address);
    return at >= begin_ && at < end_;
}

namespace {

struct CodeSearch {
    const CodeRange* code;
    std::vector<HWND> found;
};

void checkWindow(HWND window, CodeSearch& search)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    const bool dialog = std::string(className) == "#32770";
    if (search.code->contains(::GetWindowLongPtrA(window, GWLP_WNDPROC)) ||
        (dialog && search.code->contains(::GetWindowLongPtrA(window, DWLP_DLGPROC))))
        search.found.push_back(window);
}

BOOL CALLBACK checkChild(HWND window, LPARAM search)
{
    checkWindow(window, *reinterpret_cast<CodeSearch*>(search));
    return TRUE;
}

// Children of every depth come through EnumChildWindows.
BOOL CALLBACK checkTopLevel(HWND window, LPARAM search)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) {
        checkWindow(window, *reinterpret_cast<CodeSearch*>(search));
        ::EnumChildWindows(window, checkChild, search);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> windowsRunning(const CodeRange& code)
{
    CodeSearch search{&code, {}};
    ::EnumWindows(checkTopLevel, reinterpret_cast<LPARAM>(&search));
    for (HWND messageOnly = ::FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); messageOnly;
         messageOnly = ::FindWindowExA(HWND_MESSAGE, messageOnly, nullptr, nullptr))
        checkTopLevel(messageOnly, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string titleOf(HWND window)
{
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

void click(HWND dialog, int id)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void hover(HWND window)
{
    ::SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void moveWindow(HWND window, int x, int y)
{
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void setClientSize(HWND window, int width, int height)
{
    RECT outer, client;
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    ::SetWindowPos(window, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Picture::Picture(HWND window)
{
    RECT client;
    ::GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::PrintWindow(window, memory, 0);
    ::GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    pixels_.assign(first, first + static_cast<std::size_t>(width_) * height_);
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

COLORREF Picture::at(int x, int y) const
{
    const DWORD bgra = pixels_.at(static_cast<std::size_t>(y) * width_ + x);
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

bool Picture::all(int left, int top, int right, int bottom, COLORREF colour) const
{
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (at(x, y) != colour)
                return false;
        }
    }
    return true;
}

std::pair<int, int> Picture::inkSpan(int left, int top, int right, int bottom) const
{
    std::pair<int, int> span{-1, -1};
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const COLORREF c = at(x, y);
            if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) {
                span.first = span.first < 0 ? x : std::min(span.first, x);
                span.second = std::max(span.second, x);
            }
        }
    }
    return span;
}
