// The Cabrillo header dialog: template IDD_CABRILLO, and one table that
// ties every control to its header field.
#include "cabrillo/header_dialog_win32.h"

#include <windows.h>

#include "contest/dll_context_win32.h"
#include "resource.h"
#include "ui/dialog_win32.h"

namespace {

// Combo items in the order they are added; the transmitter combo sorts its
// own.  Each list ends with a null.  The categories are the contest's own
// (cabrillo_log.h); the checker knows them too.
const char* const* const kOperatorItems = kOperatorCategories;
const char* const* const kBandItems = kBandCategories;
const char* const* const kModeItems = kModeCategories;
const char* const* const kPowerItems = kPowerCategories;
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

// The header dialog: shows the header it is given and, on OK, takes the
// edited fields back into it.
class Cabrillo final : public ui::Dialog {
public:
    explicit Cabrillo(CabrilloHeader& header) : header_(header) {}

private:
    bool onInit() override
    {
        showHeader(window(), header_);
        return true;
    }

    void onOk() override
    {
        // Built whole before it replaces the header, so a failure half way
        // leaves the header as it was.
        CabrilloHeader edited = header_;
        for (const Control& control : kControls)
            if (control.takenBack)
                edited.*control.field = itemText(control.id);
        header_ = std::move(edited);
        end(IDOK);
    }

    CabrilloHeader& header_;
};

}  // namespace

bool runCabrilloHeaderDialog(CabrilloHeader& header)
{
    Cabrillo dialog(header);
    return dialog.runModal(moduleInstance(), IDD_CABRILLO, ::GetActiveWindow()) == IDOK;
}
