// A dialog built from a template in the DLL's resources, on plain Win32.
//
// One static dialog procedure stores the object at WM_INITDIALOG and hands
// every later message to onMessage, whose default sorts the common ones out
// to the small virtual handlers below.  No exception crosses into Win32: a
// handler that throws counts as "not handled".
//
// Modal:    MyDialog d; d.runModal(moduleInstance(), IDD_X, owner);
// Modeless: d.create(moduleInstance(), findDialogTemplate(moduleInstance(), IDD_X),
//                    parent); ... d.destroy();
// The object must outlive its window.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// A dialog template in `instance`'s resources, or null.  Finding a resource
// takes the loader lock on some systems, so a thread that must never wait
// for an unloading thread finds its templates early.
const DLGTEMPLATE* findDialogTemplate(HINSTANCE instance, int templateId);

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // DialogBoxParam: returns the result given to end(), or -1 when the
    // window could not be created.
    INT_PTR runModal(HINSTANCE instance, int templateId, HWND owner);
    // CreateDialogIndirectParam: false when the window could not be created.
    bool create(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parent);
    void destroy();
    // Lets go of the window without destroying it, for a window that its
    // own thread will destroy and that no longer calls this object.
    void forgetWindow() { window_ = nullptr; }

    HWND window() const { return window_; }
    HWND item(int id) const { return ::GetDlgItem(window_, id); }

    // The dialog procedure of every Dialog, behind the unload gate: what a
    // thread that starts a dialog loop of its own hands the system.
    static DLGPROC procedure();

    void end(INT_PTR result) { ::EndDialog(window_, result); }
    void setTitle(const std::string& title) { ::SetWindowTextA(window_, title.c_str()); }
    std::string itemText(int id) const;
    void setItemText(int id, const std::string& text) { ::SetDlgItemTextA(window_, id, text.c_str()); }
    void enableItem(int id, bool enable) { ::EnableWindow(item(id), enable); }
    bool isChecked(int id) const { return ::IsDlgButtonChecked(window_, id) == BST_CHECKED; }
    void setCheck(int id, bool checked) { ::CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED); }

protected:
    // Every message after WM_INITDIALOG.  Returns what the dialog procedure
    // returns: TRUE when handled (or, for the WM_CTLCOLOR* messages, the
    // brush), FALSE to leave the message to the default dialog procedure.
    // Override to see more messages; call the base for the rest.
    virtual INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // True gives the default focus.
    virtual bool onInit() { return true; }
    // A button's BN_CLICKED; the default sends IDOK and IDCANCEL to onOk
    // and onCancel.  True when handled.
    virtual bool onButtonClicked(int id);
    // Any other WM_COMMAND.
    virtual bool onCommand(int /*id*/, int /*notification*/) { return false; }
    virtual void onOk() { end(IDOK); }
    // Esc, the close box and WM_CLOSE.
    virtual void onCancel() { end(IDCANCEL); }
    virtual void onTimer(UINT_PTR /*id*/) {}
    virtual void onSize(int /*clientWidth*/, int /*clientHeight*/) {}

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

}  // namespace ui
