// The Cabrillo export through the real DLL, as an operator meets it: the
// header dialog that ResetStats0 opens, read and filled by a second thread,
// then the .cbr file that GetResult0 writes and the "Output" box it shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <vector>

#include "logfile/cabrillo_reader.h"
#include "dialog_answerer.h"
#include "resource.h"
#include "scratch_host.h"
#include "support/scratch_dir.h"

namespace {

OleDateTime utc(int year, int month, int day, int hour, int minute)
{
    return {oleDateFromCivilTime({year, month, day, hour, minute, 0}), OleDateTime::Valid};
}

// A child control of the dialog as the operator sees it.
struct Control {
    std::string className;
    int id = 0;
    std::string text;
    bool enabled = false;
    LONG style = 0;
    std::vector<std::string> items;  // combo boxes only
    int selection = -1;              // combo boxes only
};

bool isClass(const Control& control, const char* name) { return ::lstrcmpiA(control.className.c_str(), name) == 0; }

Control readControl(HWND window)
{
    Control control;
    char className[32] = {};
    ::GetClassNameA(window, className, sizeof className);
    control.className = className;
    control.id = ::GetDlgCtrlID(window);
    control.text = windowText(window);
    control.enabled = ::IsWindowEnabled(window) != FALSE;
    control.style = ::GetWindowLongA(window, GWL_STYLE);
    if (isClass(control, "ComboBox")) {
        const LRESULT count = ::SendMessageA(window, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char item[64] = {};
            ::SendMessageA(window, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            control.items.push_back(item);
        }
        control.selection = static_cast<int>(::SendMessageA(window, CB_GETCURSEL, 0, 0));
    }
    return control;
}

// What the header dialog shows, its controls in template order.
struct DialogView {
    bool seen = false;
    std::string caption;
    std::string fontFace;
    SIZE clientSize{};
    SIZE templateSize{};
    std::vector<Control> controls;

    const Control& control(int id) const
    {
        for (const Control& c : controls)
            if (c.id == id && !isClass(c, "Static"))
                return c;
        throw std::runtime_error("no control " + std::to_string(id));
    }
    const Control& labelOf(int id) const
    {
        for (std::size_t i = 1; i < controls.size(); ++i)
            if (controls[i].id == id)
                return controls[i - 1];
        throw std::runtime_error("no label for " + std::to_string(id));
    }
};

DialogView readDialog(HWND dialog)
{
    DialogView view;
    view.seen = true;
    view.caption = windowText(dialog);
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    view.fontFace = font.lfFaceName;
    RECT client{}, units{0, 0, 255, 298};
    ::GetClientRect(dialog, &client);
    ::MapDialogRect(dialog, &units);
    view.clientSize = {client.right, client.bottom};
    view.templateSize = {units.right, units.bottom};
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        view.controls.push_back(readControl(child));
    return view;
}

void setText(HWND dialog, int id, const std::string& text) { ::SetWindowTextA(::GetDlgItem(dialog, id), text.c_str()); }

void pickItem(HWND dialog, int id, const char* item)
{
    const HWND combo = ::GetDlgItem(dialog, id);
    ::SendMessageA(combo, CB_SETCURSEL,
                   ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item)),
                   0);
}

void press(HWND dialog, int button)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

QsoCall qso(const char* worked, const char* band = "80m", const char* mode = "CW")
{
    QsoCall q;
    q.worked = worked;
    q.band = band;
    q.mode = mode;
    q.frequencyHz = std::string(band) == "40m" ? 7012000 : 3512000;
    q.time = utc(2015, 6, 14, 13, 5);
    return q;
}

std::filesystem::path besideTheTests(const char* name)
{
    return std::filesystem::path(statsDllPath()).parent_path() / name;
}


class CabrilloExport : public DllTest {
protected:
    // ResetStats0 with the export flag set; `answer` gets the header dialog
    // on another thread and must press OK or CANCEL.
    DialogView resetWithExport(const char* callsign, const std::function<void(HWND)>& answer)
    {
        DialogView view;
        {
            DialogAnswerer answerer([&](HWND dialog) {
                view = readDialog(dialog);
                answer(dialog);
            });
            dll->reset(1, callsign, utc(2015, 6, 14, 0, 0), utc(2015, 6, 15, 0, 0), "DL");
        }
        return view;
    }

    void resetAndConfirm(const char* callsign)
    {
        resetWithExport(callsign, [](HWND dialog) { press(dialog, IDOK); });
    }

    // GetResult0, with the "Output" box it may show read and closed.
    MessageBoxRecord resultsWithOutputBox()
    {
        MessageBoxRecord box;
        {
            DialogAnswerer answerer(pressOk(box));
            lastResults = dll->result();
        }
        return box;
    }

    // The claimed score, from the results text's last line.
    std::string claimedScore() const
    {
        const std::size_t from = lastResults.rfind("= ") + 2;
        return lastResults.substr(from, lastResults.size() - from - 2);
    }

    std::string lastResults;
};

// The rows of the dialog, top to bottom: each label and then its control.
const std::pair<const char*, int> kRows[] = {
    {"CONTEST", IDC_CONTEST},
    {"CALLSIGN", IDC_CALLSIGN},
    {"CLAIMED", IDC_CLAIMED},
    {"CATEGORY-OPERATOR", IDC_CATEGORY_OPERATOR},
    {"LOCATION", IDC_LOCATION},
    {"CATEGORY-BAND", IDC_CATEGORY_BAND},
    {"CATEGORY-MODE", IDC_CATEGORY_MODE},
    {"CATEGORY-POWER", IDC_CATEGORY_POWER},
    {"CATEGORY-STATION", IDC_CATEGORY_STATION},
    {"CATEGORY-TRANSMITTER", IDC_CATEGORY_TRANSMITTER},
    {"NAME", IDC_NAME},
    {"ADDRESS", IDC_ADDRESS},
    {"ADDRESS-CITY", IDC_ADDRESS_CITY},
    {"ADDRESS-POSTALCODE", IDC_ADDRESS_POSTALCODE},
    {"ADDRESS-COUNTRY", IDC_ADDRESS_COUNTRY},
    {"OPERATORS", IDC_OPERATORS},
    {"CLUB", IDC_CLUB},
    {"SOAPBOX", IDC_SOAPBOX},
    {"E-MAIL", IDC_EMAIL},
};

TEST_F(CabrilloExport, FirstRunDialogShowsTheCallsignAndTheFixedCategories)
{
    const DialogView view = resetWithExport("DL1ABC", [](HWND dialog) { press(dialog, IDCANCEL); });
    ASSERT_TRUE(view.seen);

    EXPECT_EQ(view.caption, "ZEMRIX");
    EXPECT_EQ(view.fontFace, "MS Sans Serif");
    EXPECT_EQ(view.clientSize.cx, view.templateSize.cx);
    EXPECT_EQ(view.clientSize.cy, view.templateSize.cy);

    ASSERT_EQ(view.controls.size(), 2 * std::size(kRows) + 2);
    for (std::size_t row = 0; row < std::size(kRows); ++row) {
        EXPECT_EQ(view.controls[2 * row].text, kRows[row].first);
        EXPECT_EQ(view.controls[2 * row + 1].id, kRows[row].second) << kRows[row].first;
    }
    EXPECT_EQ(view.controls[2 * std::size(kRows)].text, "OK");
    EXPECT_EQ(view.controls[2 * std::size(kRows)].id, IDOK);
    EXPECT_EQ(view.controls.back().text, "CANCEL");
    EXPECT_EQ(view.controls.back().id, IDCANCEL);

    const std::pair<int, const char*> shown[] = {
        {IDC_CONTEST, "ZEMRIX"},
        {IDC_CALLSIGN, "DL1ABC"},
        {IDC_CLAIMED, ""},
        {IDC_CATEGORY_OPERATOR, "SINGLE-OP"},
        {IDC_LOCATION, ""},
        {IDC_CATEGORY_BAND, "ALL"},
        {IDC_CATEGORY_MODE, "CW"},
        {IDC_CATEGORY_POWER, "HIGH"},
        {IDC_CATEGORY_STATION, ""},
        {IDC_CATEGORY_TRANSMITTER, ""},
        {IDC_NAME, ""},
        {IDC_OPERATORS, "DL1ABC"},
        {IDC_SOAPBOX, ""},
    };
    for (const auto& [id, text] : shown)
        EXPECT_EQ(view.control(id).text, text) << id;

    using Items = std::vector<std::string>;
    EXPECT_EQ(view.control(IDC_CATEGORY_OPERATOR).items, (Items{"SINGLE-OP", "MULTI-OP", "JUNIOR", "CHECKLOG"}));
    EXPECT_EQ(view.control(IDC_CATEGORY_BAND).items, (Items{"ALL", "80M", "40M"}));
    EXPECT_EQ(view.control(IDC_CATEGORY_MODE).items, (Items{"CW", "SSB", "MIXED"}));
    EXPECT_EQ(view.control(IDC_CATEGORY_POWER).items, (Items{"HIGH", "LOW", "QRP"}));
    EXPECT_EQ(view.control(IDC_CATEGORY_STATION).items, (Items{"FIXED", "PORTABLE"}));
    EXPECT_EQ(view.control(IDC_CATEGORY_TRANSMITTER).items, (Items{"ONE", "TWO", "UNLIMITED"}));
    EXPECT_TRUE(view.control(IDC_CATEGORY_TRANSMITTER).style & CBS_SORT);
    EXPECT_EQ(view.control(IDC_CATEGORY_STATION).selection, -1);

    for (const Control& control : view.controls) {
        const bool disabledRow = control.id == IDC_LOCATION || control.id == IDC_CATEGORY_STATION ||
                                 control.id == IDC_CATEGORY_TRANSMITTER;
        if (!isClass(control, "Static"))
            EXPECT_EQ(control.enabled, !disabledRow) << control.id;
        if (disabledRow)
            EXPECT_FALSE(view.labelOf(control.id).enabled) << control.id;
    }
    EXPECT_TRUE(view.control(IDC_CLAIMED).style & ES_READONLY);
    const LONG soapbox = view.control(IDC_SOAPBOX).style;
    EXPECT_EQ(soapbox & (ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL), ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL);
}

TEST_F(CabrilloExport, CancelStoresNothingAndSwitchesTheExportOff)
{
    const std::string stored = "[Settings]\r\nStart=0\r\nName=Ivan\r\n";
    writeFileBytes(kSettingsPath, stored);
    const DialogView view = resetWithExport("DL1ABC", [](HWND dialog) {
        setText(dialog, IDC_NAME, "Someone Else");
        press(dialog, IDCANCEL);
    });
    ASSERT_TRUE(view.seen);
    EXPECT_EQ(view.control(IDC_NAME).text, "Ivan");
    EXPECT_EQ(fileBytes(kSettingsPath), stored);

    dll->addData(qso("K1ABC"));
    const MessageBoxRecord box = resultsWithOutputBox();
    EXPECT_EQ(box.caption, "");
    for (const auto& entry : std::filesystem::directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".cbr") << entry.path();
}

TEST_F(CabrilloExport, OkStoresTheHeaderAndEachResultWritesTheWholeLog)
{
    writeFileBytes(kSettingsPath, "[Settings]\r\nClaimed=7\r\nLoc=JO62\r\n");
    const DialogView first = resetWithExport("DL1ABC/P", [](HWND dialog) {
        setText(dialog, IDC_CALLSIGN, "DL1ABC");
        setText(dialog, IDC_NAME, "Ivan Petrov");
        setText(dialog, IDC_ADDRESS, "Main Street 1");
        setText(dialog, IDC_ADDRESS_CITY, "Berlin");
        setText(dialog, IDC_ADDRESS_POSTALCODE, "10115");
        setText(dialog, IDC_ADDRESS_COUNTRY, "Germany");
        setText(dialog, IDC_OPERATORS, "DL1ABC DL2XYZ");
        setText(dialog, IDC_CLUB, "Radio Club");
        setText(dialog, IDC_EMAIL, "dl1abc@example.org");
        setText(dialog, IDC_SOAPBOX, "first line\r\nsecond line");
        pickItem(dialog, IDC_CATEGORY_MODE, "SSB");
        pickItem(dialog, IDC_CATEGORY_BAND, "80M");
        setText(dialog, IDC_CATEGORY_POWER, "100 W");
        press(dialog, IDOK);
    });
    ASSERT_TRUE(first.seen);
    EXPECT_EQ(first.control(IDC_CLAIMED).text, "7");
    EXPECT_EQ(fileBytes(kSettingsPath),
              "[Settings]\r\nClaimed=7\r\nLoc=JO62\r\nBand=80M\r\nPower=100 W\r\nOperators=DL1ABC DL2XYZ\r\n"
              "Name=Ivan Petrov\r\nAddress=Main Street 1\r\nAddress-City=Berlin\r\nAddress-PostalCode=10115\r\n"
              "Address-Country=Germany\r\nCategory=SINGLE-OP\r\nContest=ZEMRIX\r\nEmail=dl1abc@example.org\r\n"
              "Club=Radio Club\r\nSoapBox=first line<CR><LF>second line\r\nMode=SSB\r\nStart=0\r\n");

    dll->addData(qso("K1ABC"));
    dll->addData(qso("K1ABC"));  // a duplicate still goes to the file
    dll->addData(qso("UA3RAA", "40m", "SSB"));
    for (int exportRun = 0; exportRun < 2; ++exportRun) {
        const MessageBoxRecord box = resultsWithOutputBox();
        EXPECT_EQ(box.caption, "Output");
        EXPECT_EQ(box.text, "File produced: DL1ABC_P.cbr");
        EXPECT_FALSE(box.hasCancel);
        EXPECT_EQ(fileBytes("DL1ABC_P.cbr"),
                  "START-OF-LOG: 3.0\r\n"
                  "CONTEST: ZEMRIX\r\n"
                  "CALLSIGN: DL1ABC\r\n"
                  "CATEGORY-OPERATOR: SINGLE-OP\r\n"
                  "CATEGORY-BAND: 80M\r\n"
                  "CATEGORY-POWER: 100 W\r\n"
                  "CATEGORY-MODE: SSB\r\n"
                  "CLAIMED-SCORE: " +
                      claimedScore() +
                      "\r\n"
                      "CLUB: Radio Club\r\n"
                      "OPERATORS: DL1ABC DL2XYZ\r\n"
                      "CREATED-BY: Vexo \r\n"
                      "NAME: Ivan Petrov\r\n"
                      "ADDRESS: Main Street 1\r\n"
                      "ADDRESS-CITY: Berlin\r\n"
                      "ADDRESS-POSTALCODE: 10115\r\n"
                      "ADDRESS-COUNTRY: Germany\r\n"
                      "E-MAIL: dl1abc@example.org\r\n"
                      "SOAPBOX: first line\r\n"
                      "SOAPBOX: second line\r\n"
                      "QSO:  3512 CW 2015-06-14 1305 DL1ABC        599 001    K1ABC         599 12\r\n"
                      "QSO:  3512 CW 2015-06-14 1305 DL1ABC        599 001    K1ABC         599 12\r\n"
                      "QSO:  7012 PH 2015-06-14 1305 DL1ABC        599 001    UA3RAA        599 12\r\n"
                      "END-OF-LOG:\r\n")
            << "export " << exportRun;
    }
    EXPECT_NE(claimedScore(), "0");

    // The next contest run opens the dialog with what was confirmed.
    const DialogView second = resetWithExport("DL1ABC/P", [](HWND dialog) { press(dialog, IDCANCEL); });
    EXPECT_EQ(second.control(IDC_CALLSIGN).text, "DL1ABC/P");
    EXPECT_EQ(second.control(IDC_SOAPBOX).text, "first line\r\nsecond line");
    EXPECT_EQ(second.control(IDC_CATEGORY_MODE).text, "CW");
    EXPECT_EQ(second.control(IDC_CATEGORY_BAND).selection, 1);
    EXPECT_EQ(second.control(IDC_CATEGORY_POWER).text, "100 W");
    EXPECT_EQ(second.control(IDC_CATEGORY_POWER).selection, -1);
    EXPECT_EQ(second.control(IDC_CLUB).text, "Radio Club");
}

TEST_F(CabrilloExport, StoredCategoriesSelectTheFirstItemTheyBegin)
{
    struct Case {
        const char *band, *power;
        std::string bandShown;
        int bandSelection;
        std::string powerShown;
        int powerSelection;
    };
    const Case cases[] = {
        {"40", "low", "40M", 2, "LOW", 1},
        {"160M", "q", "160M", -1, "QRP", 2},
        {"", "", "ALL", 0, "HIGH", 0},
    };
    for (const Case& c : cases) {
        writeFileBytes(kSettingsPath, std::string("[Settings]\r\nStart=0\r\nBand=") + c.band + "\r\nPower=" + c.power +
                                      "\r\n");
        const DialogView view = resetWithExport("DL1ABC", [](HWND dialog) { press(dialog, IDCANCEL); });
        ASSERT_TRUE(view.seen);
        EXPECT_EQ(view.control(IDC_CATEGORY_BAND).text, c.bandShown) << c.band;
        EXPECT_EQ(view.control(IDC_CATEGORY_BAND).selection, c.bandSelection) << c.band;
        EXPECT_EQ(view.control(IDC_CATEGORY_POWER).text, c.powerShown) << c.power;
        EXPECT_EQ(view.control(IDC_CATEGORY_POWER).selection, c.powerSelection) << c.power;
    }
}

TEST_F(CabrilloExport, CreatedByCarriesTheHostExecutablesVersion)
{
    struct Case {
        const char* vexo2;  // stand-in copied as "Vexo2.exe", or none
        const char* vexo3;  // stand-in copied as "Vexo3.exe", or none
        std::string createdBy;
    };
    const Case cases[] = {
        {"version_host2.exe", nullptr, "CREATED-BY: Vexo 2.19\r\n"},
        {nullptr, "version_host3.exe", "CREATED-BY: Vexo 3.1.2\r\n"},
        {"version_host2.exe", "version_host3.exe", "CREATED-BY: Vexo 2.19\r\n"},
        {"version_host3.exe", nullptr, "CREATED-BY: Vexo 3.1.2\r\n"},
        {nullptr, nullptr, "CREATED-BY: Vexo \r\n"},
    };
    resetAndConfirm("DL1ABC");
    for (const Case& c : cases) {
        for (const auto& [standIn, name] : {std::pair{c.vexo2, "Vexo2.exe"}, std::pair{c.vexo3, "Vexo3.exe"}}) {
            std::filesystem::remove(name);
            if (standIn)
                std::filesystem::copy_file(besideTheTests(standIn), name);
        }
        EXPECT_EQ(resultsWithOutputBox().text, "File produced: DL1ABC.cbr");
        EXPECT_NE(fileBytes("DL1ABC.cbr").find("\r\n" + c.createdBy + "NAME: "), std::string::npos)
            << c.createdBy << fileBytes("DL1ABC.cbr");
    }
}

TEST_F(CabrilloExport, AFileThatCannotBeCreatedIsReportedAsNotProduced)
{
    resetAndConfirm("DL1ABC");
    std::filesystem::create_directory("DL1ABC.cbr");
    const MessageBoxRecord box = resultsWithOutputBox();
    EXPECT_EQ(box.caption, "Output");
    EXPECT_EQ(box.text.rfind("File not produced: DL1ABC.cbr (", 0), 0u) << box.text;
    EXPECT_TRUE(std::filesystem::is_directory("DL1ABC.cbr"));
}

// A viewer holds the .cbr open during the export.  One that shares writing
// gets the new log written in place; one that shares nothing leaves the
// last log whole, and the operator is told why.
TEST_F(CabrilloExport, AFileHeldOpenByAViewerIsWrittenInPlaceOrNamedAsHeld)
{
    struct Case {
        DWORD sharing;
        const char* message;
        bool newLog;
    };
    const Case cases[] = {
        {FILE_SHARE_READ | FILE_SHARE_WRITE, "File produced: DL1ABC.cbr", true},
        {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, "File produced: DL1ABC.cbr", true},
        {FILE_SHARE_READ, "File not produced: DL1ABC.cbr (the file is open in another program)", false},
        {0, "File not produced: DL1ABC.cbr (the file is open in another program)", false},
    };
    for (const Case& c : cases) {
        resetAndConfirm("DL1ABC");
        dll->addData(qso("K1ABC"));
        dll->addData(qso("K2ABC"));
        ASSERT_EQ(resultsWithOutputBox().text, "File produced: DL1ABC.cbr");
        const std::string earlier = fileBytes("DL1ABC.cbr");
        dll->addData(qso("K3ABC"));

        const HANDLE viewer = ::CreateFileA("DL1ABC.cbr", GENERIC_READ, c.sharing, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
        EXPECT_EQ(resultsWithOutputBox().text, c.message) << c.sharing;
        ::CloseHandle(viewer);

        const std::string now = fileBytes("DL1ABC.cbr");
        if (c.newLog) {
            EXPECT_NE(now.find(" K3ABC "), std::string::npos) << c.sharing;
            EXPECT_EQ(now.substr(now.size() - 13), "END-OF-LOG:\r\n") << c.sharing;
        } else {
            EXPECT_EQ(now, earlier) << c.sharing;
        }
        EXPECT_FALSE(std::filesystem::exists("DL1ABC.cbr.tmp")) << c.sharing;
    }
}

// Windows takes these names for the devices COM1, NUL, AUX and CON; the
// file must land on the disk under a name that is none.
TEST_F(CabrilloExport, ACallsignThatNamesADeviceStillGivesAFile)
{
    const std::pair<const char*, const char*> cases[] = {
        {"COM1.log", "COM1_.log.cbr"},
        {"nul.txt", "nul_.txt.cbr"},
        {"AUX .x", "AUX_ .x.cbr"},
        {"con.", "con_..cbr"},
    };
    for (const auto& [callsign, fileName] : cases) {
        resetAndConfirm(callsign);
        dll->addData(qso("K1ABC"));
        EXPECT_EQ(resultsWithOutputBox().text, std::string("File produced: ") + fileName);
        EXPECT_TRUE(std::filesystem::is_regular_file(fileName)) << fileName;
        EXPECT_EQ(fileBytes(fileName).rfind("START-OF-LOG: 3.0\r\n", 0), 0u) << fileName;
    }
}

TEST_F(CabrilloExport, ALogCheckerFindsEveryQsoOfTheFile)
{
    resetAndConfirm("OK1XYZ");
    std::vector<QsoCall> logged;
    const char* calls[] = {"K1ABC", "UA3RAA", "VERYLONGCALLSIGN1", "DL/OK1ABC/P", "9A1A"};
    for (int i = 0; i < 20; ++i) {
        QsoCall q = qso(calls[i % 5], i % 2 ? "40m" : "80m", i % 3 ? "CW" : "SSB");
        q.time = utc(2015, 6, 14, 12 + i / 10, (i * 7) % 60);
        q.exchangeSent = std::to_string(100 + i);
        q.exchangeReceived = std::to_string(10 + i);
        q.rstSent = i % 3 ? "599" : "59";
        dll->addData(q);
        logged.push_back(q);
    }
    EXPECT_EQ(resultsWithOutputBox().text, "File produced: OK1XYZ.cbr");

    // The replay tool's reader stands in for the contest's log checker.
    const ContestLog read = readCabrilloLog(fileBytes("OK1XYZ.cbr"), "OK1XYZ.cbr");
    EXPECT_TRUE(read.skipped.empty());
    EXPECT_EQ(read.ownCallsign, "OK1XYZ");
    ASSERT_EQ(read.qsos.size(), logged.size());
    for (std::size_t i = 0; i < logged.size(); ++i) {
        const QsoCall& q = logged[i];
        const LoggedQso& r = read.qsos[i];
        EXPECT_EQ(r.frequencyHz, q.frequencyHz / 1000 * 1000) << i;
        EXPECT_EQ(r.band, q.band) << i;
        EXPECT_EQ(r.mode, q.mode) << i;
        EXPECT_EQ(formatCivilTime(r.time, "%Y-%m-%d %H%M"), q.time.format("%Y-%m-%d %H%M")) << i;
        EXPECT_EQ(r.ownCallsign, "OK1XYZ") << i;
        EXPECT_EQ(r.rstSent, q.rstSent) << i;
        EXPECT_EQ(r.exchangeSent, q.exchangeSent) << i;
        EXPECT_EQ(r.workedCallsign, q.worked) << i;
        EXPECT_EQ(r.rstReceived, q.rstReceived) << i;
        EXPECT_EQ(r.exchangeReceived, q.exchangeReceived) << i;
    }
}

}  // namespace
