// Answers a modal window the DLL opens (a message box, a dialog): a thread
// of its own waits for the first dialog window that the constructing thread
// owns to appear and hands it to `answer`, while that thread is blocked
// inside the modal call.  The DLL's own windows run on another thread and
// are never taken for it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(HWND)> answer, DWORD timeoutMs = 15000);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    bool answered() const { return answered_; }

private:
    const DWORD modalThread_ = ::GetCurrentThreadId();
    std::atomic<bool> answered_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A visible dialog window owned by the thread, or null.
HWND findDialog(DWORD threadId);

// The text of a message box, and its caption.
std::string messageBoxText(HWND box);
std::string windowText(HWND window);

// Records a message box's caption and text and presses its OK button.
struct MessageBoxRecord {
    std::string caption;
    std::string text;
    bool hasCancel = false;
};
std::function<void(HWND)> pressOk(MessageBoxRecord& record);
