#include "dialog_answerer.h"

namespace {

BOOL CALLBACK takeDialog(HWND window, LPARAM found)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (::IsWindowVisible(window) && std::string(className) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findDialog(DWORD threadId)
{
    HWND found = nullptr;
    ::EnumThreadWindows(threadId, takeDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string windowText(HWND window)
{
    char text[4096] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string messageBoxText(HWND box)
{
    // The static control that holds a message box's text.
    return windowText(::GetDlgItem(box, 0xFFFF));
}

DialogAnswerer::DialogAnswerer(std::function<void(HWND)> answer, DWORD timeoutMs)
    : thread_([this, answer, timeoutMs] {
          const DWORD start = ::GetTickCount();
          while (!stop_ && ::GetTickCount() - start < timeoutMs) {
              if (HWND dialog = findDialog(modalThread_)) {
                  answer(dialog);
                  answered_ = true;
                  return;
              }
              ::Sleep(20);
          }
      })
{
}

DialogAnswerer::~DialogAnswerer()
{
    stop_ = true;
    thread_.join();
}

std::function<void(HWND)> pressOk(MessageBoxRecord& record)
{
    return [&record](HWND box) {
        record.caption = windowText(box);
        record.text = messageBoxText(box);
        record.hasCancel = ::GetDlgItem(box, IDCANCEL) != nullptr && ::IsWindowVisible(::GetDlgItem(box, IDCANCEL));
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
    };
}
