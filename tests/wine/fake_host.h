// The host's automation object as the plug-in finds it: a COM object
// registered in the running object table under "Vexo2.Application", on a
// thread of its own or, as in the real host, on the thread that calls the
// plug-in (which must then pump messages while it waits).  It records every call the plug-in makes and answers
// the entry field and the frequency with what the test sets.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
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

    // In call order: "macro <MODE:CW>", "entry", "frequency", and whatever
    // the test notes in between.
    std::vector<std::string> events() const;
    std::vector<std::string> macros() const;
    void note(const std::string& event);
    void clearEvents();
    // True once `event` has been recorded `count` times.
    bool waitForEvent(const std::string& event, std::size_t count = 1, DWORD timeoutMs = 5000) const;

    struct Shared;
    class Registration;

private:
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Registration> onCallingThread_;
    std::thread thread_;
    DWORD threadId_ = 0;
};
