// Pictures of the plug-in's windows as an operator sees them: the mode
// panel and the multiplier window in both its faces, filled from a small
// contest and a fake host.  Writes panel.bmp, mult-list.bmp and
// mult-table.bmp into the folder given as the only argument
// (tools/screenshots.sh turns them into the PNGs under docs/).
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fake_host.h"
#include "contest/settings_win32.h"
#include "stats_dll.h"
#include "support/scratch_dir.h"

namespace {

OleDateTime utc(int hour, int minute)
{
    return {oleDateFromCivilTime({2015, 6, 14, hour, minute, 0}), OleDateTime::Valid};
}

QsoCall qso(const char* worked, const char* band, const char* mode, int hour, int minute, const char* exchange)
{
    QsoCall q;
    q.worked = worked;
    q.band = band;
    q.mode = mode;
    q.frequencyHz = std::string(band) == "40m" ? 7012000 : 3512000;
    q.time = utc(hour, minute);
    q.exchangeReceived = exchange;
    return q;
}

HWND waitForWindow(const char* title)
{
    HWND window = nullptr;
    pumpUntil([&] { return (window = ::FindWindowA("#32770", title)) != nullptr; });
    return window;
}

// The window as it stands on the screen, frame and caption included.
bool saveWindow(HWND window, const std::string& path)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(400);
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                        nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    const DWORD imageSize = static_cast<DWORD>(width) * height * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(static_cast<const char*>(bits), imageSize);
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return out.good();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_screenshots <output folder>\n");
        return 2;
    }
    const std::string out = std::string(argv[1]) + "\\";
    ScratchDir dir;
    FakeHost host;
    StatsDll dll;
    PrivateProfileSettings settings;
    settings.write("Start", "1");
    settings.write("DXCC", "1");
    settings.write("dxcc_y", "120");

    dll.reset(0, "OWN", utc(0, 0), {oleDateFromCivilTime({2015, 6, 15, 0, 0, 0}), OleDateTime::Valid}, "DL");
    const QsoCall log[] = {
        qso("UA3RAA", "80m", "CW", 12, 1, "11"),  qso("DL1ABC", "80m", "CW", 12, 5, "12"),
        qso("OK1XYZ", "80m", "CW", 12, 9, "13"),  qso("G3ABC", "80m", "SSB", 12, 14, "14"),
        qso("DL1ABC", "40m", "CW", 12, 31, "12"), qso("F5ZZZ", "40m", "CW", 12, 40, "15"),
        qso("DL1ABC", "80m", "SSB", 13, 2, "12"), qso("SP9AAA", "40m", "SSB", 13, 10, "16"),
        qso("HA5BBB", "40m", "CW", 13, 20, "17"), qso("EA3CCC", "80m", "CW", 13, 44, "18"),
    };
    for (const QsoCall& q : log)
        dll.addData(q);
    dll.result();

    host.setFrequencyHz(3512000);
    dll.RunCommand0(0, "SHOWINFO");
    HWND panel = waitForWindow("MODE");
    HWND multipliers = waitForWindow("Mult");
    if (!panel || !multipliers || !host.waitForEvent("frequency")) {
        std::fprintf(stderr, "the windows did not open\n");
        return 1;
    }
    bool saved = saveWindow(panel, out + "panel.bmp");
    saved = saveWindow(multipliers, out + "mult-list.bmp") && saved;

    host.setEntryField("DL1ABC");
    host.setFrequencyHz(7012000);
    char message[100] = {};
    dll.checkCall("DL1ABC", "CW", "40m", message);
    HWND table = waitForWindow("ZEMRIX 2015 worked with DL1ABC");
    saved = table && saveWindow(table, out + "mult-table.bmp") && saved;

    dll.RunCommand0(0, "HIDEINFO");
    return saved ? 0 : 1;
}
