// The Cabrillo header dialog on plain Win32: template IDD_CABRILLO, one
// table that ties every control to its header field.
#include "cabrillo/header_dialog_win32.h"

#include <windows.h>

#include "plugin/module_win32.h"
#include "resource.h"

namespace {

// Combo items in the order they are added; the transmitter combo sorts its
// own.  Each list ends with a null.
const char* const kOperatorItems[] = {"SINGLE-OP", "MULTI-OP", "JUNIOR", "CHECKLOG", nullptr};
const char* const kBandItems[] = {"ALL", "80M", "40M", nullptr};
const char* const kModeItems[] = {"CW", "SSB", "MIXED", nullptr};
const char* const kPowerItems[] = {"HIGH", "LOW", "QRP", nullptr};
const char* const kStationItems[] = {"FIXED", "PORTABLE", nullptr};
const char* const kTransmitterItems[] = {"ONE", "TWO", "UNLIMITED", nullptr};

struct Control {
    int id;
    std::string CabrilloHeader::*field;  // null: the control shows nothing
    const char* const* comboItems;       // null for an edit field
    bool takenBack;                      // read back into the header on OK
};

const Control kControls[] = {
    {IDC_CONTEST, &CabrilloHeader::contest, nullptr, true},
    {IDC_CALLSIGN, &CabrilloHeader::callsign, nullptr, true},
    {IDC_CLAIMED, &CabrilloHeader::claimed, nullptr, false},
    {IDC_CATEGORY_OPERATOR, &CabrilloHeader::categoryOperator, kOperatorItems, true},
    {IDC_LOCATION, nullptr, nullptr, false},
    {IDC_CATEGORY_BAND, &CabrilloHeader::categoryBand, kBandItems, true},
    {IDC_CATEGORY_MODE, &CabrilloHeader::categoryMode, kModeItems, true},
    {IDC_CATEGORY_POWER, &CabrilloHeader::categoryPower, kPowerItems, true},
    {IDC_CATEGORY_STATION, nullptr, kStationItems, false},
    {IDC_CATEGORY_TRANSMITTER, nullptr, kTransmitterItems, false},
    {IDC_NAME, &CabrilloHeader::name, nullptr, true},
    {IDC_ADDRESS, &CabrilloHeader::address, nullptr, true},
    {IDC_ADDRESS_CITY, &CabrilloHeader::addressCity, nullptr, true},
    {IDC_ADDRESS_POSTALCODE, &CabrilloHeader::addressPostalCode, nullptr, true},
    {IDC_ADDRESS_COUNTRY, &CabrilloHeader::addressCountry, nullptr, true},
    {IDC_OPERATORS, &CabrilloHeader::operators, nullptr, true},
    {IDC_CLUB, &CabrilloHeader::club, nullptr, true},
    {IDC_SOAPBOX, &CabrilloHeader::soapbox, nullptr, true},
    {IDC_EMAIL, &CabrilloHeader::email, nullptr, true},
};

// A stored value selects the first item it begins (case aside); a value no
// item begins with, or none at all, stands in the edit field as it is.
void showInCombo(HWND combo, const std::string& value)
{
    const LRESULT item =
        value.empty() ? CB_ERR
                      : ::SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(value.c_str()));
    if (item != CB_ERR) {
        ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    } else {
        ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SetWindowTextA(combo, value.c_str());
    }
}

void showHeader(HWND dialog, const CabrilloHeader& header)
{
    for (const Control& control : kControls) {
        const HWND window = ::GetDlgItem(dialog, control.id);
        const std::string value = control.field ? header.*control.field : std::string();
        if (!control.comboItems) {
            ::SetWindowTextA(window, value.c_str());
            continue;
        }
        for (const char* const* item = control.comboItems; *item; ++item)
            ::SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(*item));
        showInCombo(window, value);
    }
}

// For a combo box, the text of its edit field.
std::string controlText(HWND dialog, int id)
{
    const HWND window = ::GetDlgItem(dialog, id);
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

CabrilloHeader editedHeader(HWND dialog, const CabrilloHeader& shown)
{
    CabrilloHeader edited = shown;
    for (const Control& control : kControls)
        if (control.takenBack)
            edited.*control.field = controlText(dialog, control.id);
    return edited;
}

CabrilloHeader& headerOf(HWND dialog)
{
    return *reinterpret_cast<CabrilloHeader*>(::GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        showHeader(dialog, headerOf(dialog));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            // Built whole before it replaces the header, so a failure half
            // way leaves the header as it was.
            headerOf(dialog) = editedHeader(dialog, headerOf(dialog));
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK headerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return handleMessage(dialog, message, wParam, lParam);
    } catch (...) {
        // Whatever went wrong, the operator did not confirm this header.
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

}  // namespace

bool runCabrilloHeaderDialog(CabrilloHeader& header)
{
    const INT_PTR result = ::DialogBoxParamA(moduleInstance(), MAKEINTRESOURCEA(IDD_CABRILLO), ::GetActiveWindow(),
                                             headerDialogProc, reinterpret_cast<LPARAM>(&header));
    return result == IDOK;
}
