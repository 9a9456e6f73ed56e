// The multiplier window: opened by the panel, refreshed a moment after the
// operator stops typing, and its grid's two faces read back pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui_helpers.h"

namespace {

constexpr COLORREF kListBackground = RGB(255, 250, 198);
constexpr COLORREF kTableBackground = RGB(255, 255, 198);
constexpr COLORREF kCurrentBand = RGB(198, 255, 255);

OleDateTime utc(int year, int month, int day, int hour, int minute)
{
    return {oleDateFromCivilTime({year, month, day, hour, minute, 0}), OleDateTime::Valid};
}

QsoCall qso(const char* worked, const char* band, int hour, int minute)
{
    QsoCall q;
    q.worked = worked;
    q.band = band;
    q.frequencyHz = std::string(band) == "40m" ? 7012000 : 3512000;
    q.time = utc(2015, 6, 14, hour, minute);
    return q;
}

class MultiplierWindow : public WindowsTest {
protected:
    // A contest in 2015 whose reset leaves the panel closed, and a panel
    // that opens the multiplier window by itself.
    HWND openWithContest(const std::vector<QsoCall>& qsos)
    {
        settings.write("Start", "1");
        dll->reset(0, "OWN", utc(2015, 6, 14, 0, 0), utc(2015, 6, 15, 0, 0), "DL");
        for (const QsoCall& q : qsos)
            dll->addData(q);
        dll->result();
        settings.write("DXCC", "1");
        panel = showPanel();
        HWND window = waitForWindow("Mult");
        // The whole first refresh, the frequency being its last call: a
        // test that clears the events after it sees none of it.
        host.waitForEvent("frequency");
        return window;
    }

    // One call check and the refresh that follows it.
    void typeAndWait(const std::string& callsign, double frequencyHz)
    {
        host.setEntryField(callsign);
        host.setFrequencyHz(frequencyHz);
        host.clearEvents();
        checkCall(callsign.c_str());
        ASSERT_TRUE(host.waitForEvent("entry"));
    }

    // Two refreshes, both of whose readings the courier (this thread) serves
    // while the window's thread is held: the window takes the latest once.
    void readTwiceWhileBusy(HWND window, const char* callsign)
    {
        host.setEntryField(callsign);
        host.clearEvents();
        for (int i = 0; i < 2; ++i) {
            checkCall(callsign);
            ::Sleep(400);  // the refresh's request waits here, unserved
        }
        HeldWindowThread held(window);
        ASSERT_TRUE(held.held());
        ASSERT_TRUE(host.waitForEvent("frequency", 2));
    }

    // The grid sized width x height, as the window keeps it 5 pixels inside.
    HWND sizeGrid(HWND window, int width, int height)
    {
        setClientSize(window, width + 10, height + 10);
        HWND grid = ::GetDlgItem(window, kGrid);
        RECT rect;
        ::GetWindowRect(grid, &rect);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, 5);
        EXPECT_EQ(rect.top, 5);
        EXPECT_EQ(rect.right, width + 5);
        EXPECT_EQ(rect.bottom, height + 5);
        return grid;
    }

    HWND panel = nullptr;
};

TEST_F(MultiplierWindow, ASavedDxccReopensItAndViewMultClosesAndOpensIt)
{
    HWND window = openWithContest({});
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsDlgButtonChecked(panel, kViewMult));
    RECT rect;
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 400);

    click(panel, kViewMult);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(settings.read("DXCC"), "0");
    click(panel, kViewMult);
    window = waitForWindow("Mult");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(settings.read("DXCC"), "1");

    // Its own close box only hides it: the next click closes it for good.
    ::SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_FALSE(::IsWindowVisible(window));
    click(panel, kViewMult);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(settings.read("DXCC"), "0");

    // Closing the panel with the window open keeps it wanted.
    click(panel, kViewMult);
    command("HIDEINFO");
    EXPECT_TRUE(ownWindows("Mult").empty());
    EXPECT_EQ(settings.read("DXCC"), "1");
    showPanel();
    EXPECT_NE(waitForWindow("Mult"), nullptr);
}

// Checks 200 ms apart, as an operator types: a refresh sooner than 330 ms
// after a check would come between them.
TEST_F(MultiplierWindow, RefreshesOnceAfterTheLastOfSeveralCallChecks)
{
    constexpr DWORD kRefreshDelayMs = 330;
    constexpr DWORD kTimerSlackMs = 5;
    ASSERT_NE(openWithContest({}), nullptr);
    host.setEntryField("DL1ABC");
    host.setFrequencyHz(7012000);
    host.clearEvents();
    DWORD lastCheck = 0;
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            pumpFor(200);
        host.note("check");
        lastCheck = ::GetTickCount();
        checkCall("DL1ABC");
    }
    ASSERT_TRUE(host.waitForEvent("frequency"));
    pumpFor(700);
    const std::vector<std::string> expected = {"check", "check", "check", "check", "check", "entry", "frequency"};
    EXPECT_EQ(host.events(), expected);
    const std::vector<DWORD> refreshes = host.timesOf("entry");
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_GE(refreshes[0] - lastCheck, kRefreshDelayMs - kTimerSlackMs);

    // With the window closed a call check arms nothing.
    click(panel, kViewMult);
    host.clearEvents();
    checkCall("DL1ABC");
    pumpFor(700);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(MultiplierWindow, TitleFollowsTheCallsignButNotOneOrTwoCharactersNorAFailedCall)
{
    HWND window = openWithContest({qso("DL1ABC", "80m", 12, 5)});
    ASSERT_NE(window, nullptr);
    const struct {
        const char* callsign;
        const char* title;
        bool readsFrequency;
        bool readTwiceWhileBusy = false;  // two readings wait before the window takes them
    } steps[] = {
        {"DL1ABC", "ZEMRIX 2015 worked with DL1ABC", true},
        {"DL", "ZEMRIX 2015 worked with DL1ABC", false},
        {"K", "ZEMRIX 2015 worked with DL1ABC", false},
        {"", "Mult", true},
        {"K1A", "ZEMRIX 2015 worked with K1A", true},
        {"DL1ABC", "ZEMRIX 2015 worked with DL1ABC", true, true},
        {nullptr, "ZEMRIX 2015 worked with DL1ABC", false},  // the host fails the call
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.title);
        host.failEntryField(!step.callsign);
        if (step.readTwiceWhileBusy)
            readTwiceWhileBusy(window, step.callsign);
        else
            typeAndWait(step.callsign ? step.callsign : "DL1ABC", 3512000);
        if (step.readsFrequency)
            EXPECT_TRUE(host.waitForEvent("frequency")) << step.title;
        EXPECT_TRUE(pumpUntil([&] { return titleOf(window) == step.title; })) << step.title;
        pumpFor(100);
        EXPECT_EQ(titleOf(window), step.title) << step.title;
        EXPECT_EQ(host.waitForEvent("frequency", 1, 0), step.readsFrequency) << step.title;
    }
}

TEST_F(MultiplierWindow, TableFaceHighlightsTheRowOfTheTunedBand)
{
    HWND window = openWithContest({qso("DL1ABC", "80m", 12, 5), qso("DL1ABC", "40m", 13, 40)});
    ASSERT_NE(window, nullptr);
    const struct {
        int height;
        double frequencyHz;
        int top, bottom;  // highlighted rows of pixels
    } cases[] = {
        {140, 14250000, 90, 100},
        {140, 7012000, 70, 80},
        {210, 3512000, 70, 90},
    };
    for (const auto& c : cases) {
        typeAndWait("DL1ABC", c.frequencyHz);
        HWND grid = sizeGrid(window, 400, c.height);
        ASSERT_TRUE(pumpUntil([&] { return Picture(grid).at(399, c.top) == kCurrentBand; })) << c.height;
        const Picture picture(grid);
        EXPECT_TRUE(picture.all(330, c.top, 400, c.bottom, kCurrentBand)) << c.height;
        EXPECT_TRUE(picture.all(330, 0, 400, c.top, kTableBackground)) << c.height;
        EXPECT_TRUE(picture.all(330, c.bottom, 400, c.height, kTableBackground)) << c.height;
    }
    // The 40m row (y = 70 at height 140) holds its band, CW time and
    // exchange; the 20m row only its band and dashes.
    typeAndWait("DL1ABC", 7012000);
    HWND grid = sizeGrid(window, 400, 140);
    ASSERT_TRUE(pumpUntil([&] { return Picture(grid).at(399, 70) == kCurrentBand; }));
    const Picture picture(grid);
    const auto startsAt = [&](int x, int y) {
        const int left = picture.inkSpan(x, y, x + 70, y + 14).first;
        return left >= x && left < x + 4;
    };
    EXPECT_TRUE(startsAt(20, 70));
    EXPECT_TRUE(startsAt(100, 70)) << "13:40";
    EXPECT_TRUE(startsAt(270, 70)) << "12";
    EXPECT_TRUE(startsAt(20, 90));
    EXPECT_FALSE(startsAt(100, 90)) << "no CW contact on 20m: three blanks and a dash";
}

TEST_F(MultiplierWindow, ListFaceShowsTheMultipliersSortedInEightyPixelCells)
{
    HWND window = openWithContest({qso("WWWWWW", "80m", 12, 1), qso("A", "80m", 12, 2), qso("MMM", "80m", 12, 3),
                                   qso("C3", "40m", 12, 4), qso("B2", "40m", 12, 5)});
    ASSERT_NE(window, nullptr);
    typeAndWait("", 3512000);
    HWND grid = sizeGrid(window, 400, 140);
    // Sorted: A, B2, C3, MMM on the first line, WWWWWW alone on the second.
    const int cells[][2] = {{5, 15}, {85, 15}, {165, 15}, {245, 15}, {5, 30}};
    ASSERT_TRUE(pumpUntil([&] { return Picture(grid).inkSpan(5, 16, 80, 27).first != -1; }));
    const Picture picture(grid);
    std::vector<int> widths;
    for (const auto& cell : cells) {
        const auto span = picture.inkSpan(cell[0], cell[1] + 1, cell[0] + 78, cell[1] + 12);
        ASSERT_NE(span.first, -1) << cell[0] << "," << cell[1];
        EXPECT_LT(span.first - cell[0], 4) << cell[0] << "," << cell[1];
        widths.push_back(span.second - span.first);
    }
    EXPECT_LT(widths[0], widths[3]) << "A before MMM";
    EXPECT_LT(widths[3], widths[4]) << "MMM before WWWWWW";
    EXPECT_EQ(picture.inkSpan(325, 16, 400, 27).first, -1) << "no fifth cell on a 400-pixel line";
    EXPECT_EQ(picture.inkSpan(100, 31, 400, 42).first, -1) << "nothing after WWWWWW";
    EXPECT_EQ(picture.at(399, 139), kListBackground);

    // Tuned off the contest bands: nothing but the background.
    typeAndWait("", 10120000);
    EXPECT_TRUE(pumpUntil([&] { return Picture(grid).all(0, 0, 400, 140, kListBackground); }));
}

}  // namespace
