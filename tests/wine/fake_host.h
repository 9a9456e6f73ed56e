// The host's automation object as the plug-in finds it: a COM object
// registered in the running object table under "Vexo2.Application", on a
// thread of its own or, as in the real host, on the thread that calls the
// plug-in.  It records every call the plug-in makes and answers the entry
// field and the frequency with what the test sets.
//
// The plug-in makes its calls from the thread that opened its panel, when
// that thread pumps messages, so a test thread that waits for them pumps as
// a host's message loop would.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class FakeHost {
public:
    enum Apartment { OwnThread, CallingThread };
    explicit FakeHost(Apartment apartment = OwnThread);
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    void setEntryField(const std::string& callsign);
    void setFrequencyHz(double hz);
    // The entry-field call fails, as when the host is shutting down.
    void failEntryField(bool fail);
    // The next `count` macro calls are refused as a busy host refuses them
    // (recorded as "refused <macro>"); a negative count refuses them all.
    void refuseMacros(int count);
    // Every call takes this long, as a host busy elsewhere answers.
    void delayCalls(DWORD ms);

    // In call order: "macro <MODE:CW>", "entry", "frequency", and whatever
    // the test notes in between.
    std::vector<std::string> events() const;
    std::vector<std::string> macros() const;
    void note(const std::string& event);
    void clearEvents();
    // When each `event` was recorded, in GetTickCount milliseconds.
    std::vector<DWORD> timesOf(const std::string& event) const;
    // True once `event` has been recorded `count` times; pumps meanwhile.
    bool waitForEvent(const std::string& event, std::size_t count = 1, DWORD timeoutMs = 5000) const;

    struct Shared;
    class Registration;

private:
    std::shared_ptr<Shared> shared_;
    bool onOwnThread_;
    std::unique_ptr<Registration> registration_;
};

// The calling thread waits as a host's message loop does: dispatching its
// messages until `condition` holds (true) or the time is up (false).
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Pumps for `ms` milliseconds.
void pumpFor(DWORD ms);
