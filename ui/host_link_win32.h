// The link to the host's running automation object "Vexo2.Application":
// late-bound IDispatch calls with the host's fixed dispatch identifiers.
//
// Lives on the window thread, in the COM apartment that thread initialises;
// no other thread may use it.  Without a host every call is skipped
// silently.  A call the host fails (host gone, an answer of the wrong type)
// is neither retried nor reported: the macro is lost, and a read answers
// "nothing", so the caller keeps what it shows.
#pragma once

#include <oaidl.h>

#include <optional>
#include <string>

namespace ui {

class HostLink {
public:
    HostLink() = default;
    // The owner leaves the apartment itself (see detach); a link it forgot
    // still lets go of the host.
    ~HostLink() { detach(false); }
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    // Joins a single-threaded apartment and looks for the running host.
    void attach();
    // Lets go of the host and, if `leaveApartment`, of the apartment too.
    // The apartment stays when the library is being unloaded: leaving it can
    // unload COM's helper DLLs, which waits for the loader lock that the
    // unloading thread holds.
    void detach(bool leaveApartment);

    bool attached() const { return host_ != nullptr; }

    void sendMacro(const char* macro);
    // The callsign in the host's entry field.
    std::optional<std::string> enteredCallsign();
    // The operating frequency in Hz.
    std::optional<double> frequencyHz();

private:
    bool invoke(DISPID member, WORD flags, VARIANT* argument, VARIANT* result);

    IDispatch* host_ = nullptr;
    bool inApartment_ = false;
};

}  // namespace ui
