// The mode panel on the plug-in's window thread: opening and closing it
// through the host's commands, the reset and unload, its buttons and the
// macros they send to the host, and where it remembers its position.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "ui_helpers.h"

namespace {

using ModePanel = WindowsTest;

// FreeLibrary on a thread of its own, so that a hang fails the test.
DWORD WINAPI unloadDll(void* dll)
{
    static_cast<std::unique_ptr<StatsDll>*>(dll)->reset();
    return 0;
}
using Macros = std::vector<std::string>;

TEST_F(ModePanel, ShowInfoOpensItTopmostAtItsDefaultPlaceInCwMode)
{
    HWND panel = showPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(host.waitForEvent("macro <MODE:CW>"));
    EXPECT_EQ(host.macros(), Macros{"<MODE:CW>"});
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(panel, kCwButton)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(panel, kSsbButton)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(panel, kPsk125Button)));
    EXPECT_TRUE(::GetWindowLongA(panel, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect;
    ::GetWindowRect(panel, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 10);
}

TEST_F(ModePanel, ButtonsSendTheirMacrosAndTheDisabledOneShowsTheMode)
{
    HWND panel = showPanel();
    ASSERT_TRUE(host.waitForEvent("macro <MODE:CW>"));
    const struct {
        int button;
        Macros sent;
        bool cwEnabled, ssbEnabled;
    } steps[] = {
        {kSsbButton, {"<MODE:SSB>"}, true, false},
        {kSsbButton, {"<MODE:SSB>"}, true, false},
        {kCwButton, {"<MODE:CW>"}, false, true},
        {kPsk125Button, {"<MODE:BPSK31>", "<BAUDRATE:125>"}, false, true},
    };
    for (const auto& step : steps) {
        host.clearEvents();
        click(panel, step.button);
        EXPECT_TRUE(pumpUntil([&] { return host.macros() == step.sent; })) << step.button;
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(panel, kCwButton)) != 0, step.cwEnabled) << step.button;
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(panel, kSsbButton)) != 0, step.ssbEnabled) << step.button;
    }
}

// A host that refuses a macro (busy, or its automation not up yet) gets it
// again; one that refuses every try leaves the buttons as they were before
// the click, and the title says so.
TEST_F(ModePanel, AMacroTheHostRefusesIsTriedAgainAndOneNeverTakenIsNotShownAsSent)
{
    HWND panel = showPanel();
    ASSERT_TRUE(host.waitForEvent("macro <MODE:CW>"));
    const struct {
        int refusals;
        const char* title;
        bool cwEnabled, ssbEnabled;
    } cases[] = {
        {1, "MODE", true, false},
        {4, "MODE", true, false},
        {-1, "MODE: host not answering", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusals);
        host.refuseMacros(c.refusals);
        host.clearEvents();
        click(panel, kSsbButton);
        const bool taken = c.refusals >= 0;
        EXPECT_EQ(host.waitForEvent("macro <MODE:SSB>", 1, 3000), taken);
        EXPECT_GE(host.timesOf("refused <MODE:SSB>").size(), taken ? c.refusals : 2u);
        EXPECT_TRUE(pumpUntil([&] { return titleOf(panel) == c.title; }));
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(panel, kCwButton)) != 0, c.cwEnabled);
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(panel, kSsbButton)) != 0, c.ssbEnabled);
        host.refuseMacros(0);
        click(panel, kCwButton);
        ASSERT_TRUE(host.waitForEvent("macro <MODE:CW>"));
        EXPECT_TRUE(pumpUntil([&] { return titleOf(panel) == "MODE"; }));
    }
}

TEST_F(ModePanel, HideInfoReturnsOnlyOnceThePanelIsGone)
{
    command("HIDEINFO");  // nothing open: nothing to do
    HWND panel = showPanel();
    ASSERT_NE(panel, nullptr);
    command("HIDEINFO");
    EXPECT_FALSE(::IsWindow(panel));
    EXPECT_TRUE(ownWindows("MODE").empty());
}

TEST_F(ModePanel, ShowInfoReplacesAnOpenPanelAndQuickRepeatsLeaveOne)
{
    HWND first = showPanel();
    ASSERT_NE(first, nullptr);
    command("SHOWINFO");
    EXPECT_FALSE(::IsWindow(first));
    for (int i = 0; i < 3; ++i)
        command("SHOWINFO");
    ASSERT_NE(waitForWindow("MODE"), nullptr);
    ASSERT_TRUE(host.waitForEvent("macro <MODE:CW>", 5));
    pumpFor(300);
    EXPECT_EQ(ownWindows("MODE").size(), 1u);
}

TEST_F(ModePanel, TheResetOpensItWhenStartWasZero)
{
    dll->reset(0, "OWN", {}, {}, "DL");
    EXPECT_NE(waitForWindow("MODE"), nullptr);
    EXPECT_EQ(settings.read("Start"), "1");
}

TEST_F(ModePanel, UnloadingWithThePanelAndMultiplierWindowOpenClosesBoth)
{
    settings.write("DXCC", "1");
    ASSERT_NE(showPanel(), nullptr);
    ASSERT_NE(waitForWindow("Mult"), nullptr);
    HANDLE unloader = ::CreateThread(nullptr, 0, unloadDll, &dll, 0, nullptr);
    EXPECT_EQ(::WaitForSingleObject(unloader, 15000), WAIT_OBJECT_0);
    ::CloseHandle(unloader);
    EXPECT_TRUE(windowsGoneAfterUnload("MODE"));
    EXPECT_TRUE(windowsGoneAfterUnload("Mult"));
}

TEST_F(ModePanel, UnloadingRightAfterShowInfoNeitherHangsNorCrashes)
{
    for (int i = 0; i < 3; ++i) {
        dll->RunCommand0(0, "SHOWINFO");
        dll.reset();
        dll = std::make_unique<StatsDll>();
    }
    EXPECT_TRUE(windowsGoneAfterUnload("MODE"));
}

// The ProgID stays registered, but no host object runs.
class WithoutHost : public ::testing::Test {
protected:
    ScratchDir dir;
    std::unique_ptr<StatsDll> dll = std::make_unique<StatsDll>();
};

TEST_F(WithoutHost, ThePanelOpensAndItsButtonsStillSwitch)
{
    dll->RunCommand0(0, "SHOWINFO");
    HWND panel = waitForWindow("MODE");
    ASSERT_NE(panel, nullptr);
    click(panel, kSsbButton);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(panel, kCwButton)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(panel, kSsbButton)));
    dll->RunCommand0(0, "HIDEINFO");
    EXPECT_FALSE(::IsWindow(panel));
}

TEST_F(ModePanel, StartsWhereItWasLeftAndSavesWholeCoordinatesOnlyWhenMoved)
{
    settings.write("baud_x", "300");
    settings.write("baud_y", "200");
    HWND panel = showPanel();
    ASSERT_NE(panel, nullptr);
    RECT rect;
    ::GetWindowRect(panel, &rect);
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 200);

    // "-" marks a key that must not be written.
    const struct {
        int x, y;
        const char* savedX;
        const char* savedY;
    } moves[] = {
        {250, 200, "250", "-"},
        {12345, -1500, "12345", "-1500"},
        {-999, 9999, "-999", "9999"},
        {-999, 10000, "-", "10000"},
    };
    for (const auto& move : moves) {
        settings.write("baud_x", "-");
        settings.write("baud_y", "-");
        moveWindow(panel, move.x, move.y);
        hover(panel);
        EXPECT_EQ(settings.read("baud_x"), move.savedX) << move.x;
        EXPECT_EQ(settings.read("baud_y"), move.savedY) << move.y;
        settings.write("baud_x", "-");
        settings.write("baud_y", "-");
        hover(panel);
        EXPECT_EQ(settings.read("baud_x") + settings.read("baud_y"), "--") << "hovering again without moving";
    }
}

// As in the real host, the automation object lives in the apartment of the
// thread that calls the plug-in: the plug-in's calls into it are made there,
// the panel's first macro before "SHOWINFO" returns, the rest whenever the
// thread pumps.
class HostOnTheCallingThread : public ::testing::Test {
protected:
    Watchdog watchdog{60000};
    ScratchDir dir;
    FakeHost host{FakeHost::CallingThread};
    std::unique_ptr<StatsDll> dll = std::make_unique<StatsDll>();
    PrivateProfileSettings settings;
};

TEST_F(HostOnTheCallingThread, IsServedWhileThePanelOpensRefreshesClosesAndUnloads)
{
    settings.write("DXCC", "1");
    host.setEntryField("DL1ABC");
    host.setFrequencyHz(7012000);
    dll->RunCommand0(0, "SHOWINFO");
    EXPECT_EQ(host.macros(), Macros{"<MODE:CW>"});
    EXPECT_TRUE(pumpUntil([] { return !ownWindows("ZEMRIX  worked with DL1ABC").empty(); }));

    dll->RunCommand0(0, "HIDEINFO");
    EXPECT_TRUE(ownWindows("MODE").empty());

    dll->RunCommand0(0, "SHOWINFO");
    ASSERT_TRUE(pumpUntil([] { return !ownWindows("ZEMRIX  worked with DL1ABC").empty(); }));
    dll.reset();
    EXPECT_TRUE(windowsGoneAfterUnload("MODE"));
}

// A panel opened by a second host thread, the host object living on the
// first.  After the opener has ended, a click shows that nothing carries the
// panel's calls, and waits: the next host's thread that calls the plug-in
// carries it.  A thread that takes over but never pumps leaves the click
// waiting only until a pumping thread calls, not until it ends.
TEST_F(HostOnTheCallingThread, AClickWaitsForTheNextHostThreadThatCanCarryIt)
{
    settings.write("DXCC", "1");
    host.setEntryField("DL1ABC");
    host.setFrequencyHz(7012000);
    {
        PumpingHostThread opener;
        opener.run([&] { dll->RunCommand0(0, "SHOWINFO"); });
        ASSERT_TRUE(host.waitForEvent("macro <MODE:CW>"));
        ASSERT_TRUE(host.waitForEvent("frequency")) << "the first refresh";
    }
    HWND panel = waitForWindow("MODE");
    ASSERT_NE(panel, nullptr);
    const auto modeShown = [&] {
        return std::make_pair(::IsWindowEnabled(::GetDlgItem(panel, kCwButton)) != 0,
                              ::IsWindowEnabled(::GetDlgItem(panel, kSsbButton)) != 0);
    };
    const auto callCheckFromThisThread = [&] {
        char message[100] = {};
        dll->checkCall("DL1ABC", "CW", "40m", message);
    };
    host.clearEvents();
    click(panel, kSsbButton);
    EXPECT_TRUE(pumpUntil([&] { return titleOf(panel) == "MODE: host lost"; }));
    EXPECT_EQ(modeShown(), std::make_pair(false, true)) << "CW still the mode";
    pumpFor(300);
    EXPECT_TRUE(host.macros().empty());

    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        PumpingHostThread carrier;
        carrier.run(callCheckFromThisThread);
        EXPECT_TRUE(host.waitForEvent("macro <MODE:SSB>")) << "the waiting click, carried";
        EXPECT_TRUE(pumpUntil([&] { return titleOf(panel) == "MODE"; }));
        EXPECT_EQ(modeShown(), std::make_pair(true, false));
    }

    // The carrier has ended, as the opener did; a thread that never pumps
    // takes over with a call check; a click waits there until this pumping
    // thread calls, while the other still runs.
    std::thread neverPumps([&] {
        callCheckFromThisThread();
        ::WaitForSingleObject(release, 30000);
    });
    pumpFor(100);
    host.clearEvents();
    click(panel, kCwButton);
    pumpFor(400);
    EXPECT_TRUE(host.macros().empty()) << "carried by a thread that does not pump";
    callCheckFromThisThread();
    EXPECT_TRUE(host.waitForEvent("macro <MODE:CW>")) << "carried while the other thread still runs";
    EXPECT_TRUE(pumpUntil([&] { return titleOf(panel) == "MODE" && modeShown() == std::make_pair(false, true); }));
    ::SetEvent(release);
    neverPumps.join();
    ::CloseHandle(release);
}

}  // namespace
