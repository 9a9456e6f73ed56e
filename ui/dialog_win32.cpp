#include "ui/dialog_win32.h"

#include "contest/unload_gate_win32.h"

namespace ui {

Dialog::~Dialog()
{
    destroy();
}

INT_PTR Dialog::runModal(HINSTANCE instance, int templateId, HWND owner)
{
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, procedure(),
                             reinterpret_cast<LPARAM>(this));
}

const DLGTEMPLATE* findDialogTemplate(HINSTANCE instance, int templateId)
{
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // dialog
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
}

bool Dialog::create(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parent)
{
    return dialogTemplate && ::CreateDialogIndirectParamA(instance, dialogTemplate, parent, procedure(),
                                                          reinterpret_cast<LPARAM>(this)) != nullptr;
}

DLGPROC Dialog::procedure()
{
    return gated(dialogProc);
}

// Only for a modeless window, on the thread that created it.
void Dialog::destroy()
{
    if (window_)
        ::DestroyWindow(window_);
}

std::string Dialog::itemText(int id) const
{
    HWND control = item(id);
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(control, &text[0], static_cast<int>(text.size()))));
    return text;
}

INT_PTR Dialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && onButtonClicked(LOWORD(wParam)))
            return TRUE;
        return onCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_CLOSE:
        onCancel();
        return TRUE;
    case WM_TIMER:
        onTimer(wParam);
        return TRUE;
    case WM_SIZE:
        onSize(LOWORD(lParam), HIWORD(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}

bool Dialog::onButtonClicked(int id)
{
    switch (id) {
    case IDOK:
        onOk();
        return true;
    case IDCANCEL:
        onCancel();
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK Dialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_INITDIALOG) {
            auto* dialog = reinterpret_cast<Dialog*>(lParam);
            ::SetWindowLongPtrA(window, DWLP_USER, lParam);
            dialog->window_ = window;
            return dialog->onInit();
        }
        auto* dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
        if (!dialog)
            return FALSE;
        if (message == WM_NCDESTROY) {
            dialog->window_ = nullptr;
            ::SetWindowLongPtrA(window, DWLP_USER, 0);
            return FALSE;
        }
        return dialog->onMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

}  // namespace ui
