// The link to the host's running automation object "Vexo2.Application":
// late-bound IDispatch calls with the host's fixed dispatch identifiers.
//
// Only the window thread uses it, inside the COM apartment that the mode
// panel holds.  Each use finds the running host anew and lets go of it when
// done, so the thread never sits on a reference to the host: letting go
// calls into the host's apartment, which at unload is the one thread that
// cannot answer.
//
// Without a host every call is skipped silently.  A call the host fails
// (host gone, an answer of the wrong type) is neither retried nor reported:
// the macro is lost, and a read answers "nothing", so the caller keeps what
// it shows.
#pragma once

#include <oaidl.h>

#include <optional>
#include <string>

namespace ui {

// The window thread's single-threaded apartment, for as long as the panel
// is open.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // At unload the apartment is left to the thread's end: leaving it can
    // unload COM's helper DLLs, which waits for the loader lock that the
    // unloading thread holds.
    void leaveToThreadEnd() { joined_ = false; }

private:
    bool joined_;
};

class HostLink {
public:
    // Finds the running host; empty when there is none.
    HostLink();
    ~HostLink();
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    explicit operator bool() const { return host_ != nullptr; }

    void sendMacro(const char* macro);
    // The callsign in the host's entry field.
    std::optional<std::string> enteredCallsign();
    // The operating frequency in Hz.
    std::optional<double> frequencyHz();

private:
    bool invoke(DISPID member, WORD flags, VARIANT* argument, VARIANT* result);

    IDispatch* host_ = nullptr;
};

}  // namespace ui
