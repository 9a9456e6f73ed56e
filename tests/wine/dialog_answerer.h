// Answers a modal window the code under test opens (a message box, a
// dialog): a thread of its own waits for the first dialog window of this
// process to appear and hands it to `answer`, while the test's thread is
// blocked inside the modal call.
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
    std::atomic<bool> answered_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A visible dialog window of this process, or null.
HWND findDialog();

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
