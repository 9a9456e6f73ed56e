// The link to the host's running automation object "Vexo2.Application":
// late-bound IDispatch calls with the host's fixed dispatch identifiers.
//
// Only the courier (ui/host_courier_win32.h) uses it, on a host's thread,
// most often the host's own, where the host object lives.
// Each use finds the running host anew and lets go of it when done, so no
// reference to the host outlives one batch of calls.
//
// Without a host every call is skipped.  A call the host fails (host gone,
// busy, an answer of the wrong type) is reported to the caller: the courier
// tries a macro again, and a read answers "nothing", so the caller keeps
// what it shows.
#pragma once

#include <oaidl.h>

#include <optional>
#include <string>

namespace ui {

// COM on the calling thread for one batch of calls.  A thread that is in an
// apartment already, of either kind, makes the calls from there; one that is
// in none joins a single-threaded apartment for the batch and leaves it
// afterwards, so the host's thread is left as the host set it up.
class ComUse {
public:
    ComUse();
    ~ComUse();
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;

private:
    bool joined_;
};

class HostLink {
public:
    // Finds the running host; empty when there is none.  Needs a ComUse.
    HostLink();
    ~HostLink();
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    explicit operator bool() const { return host_ != nullptr; }

    // False when the host failed the call.
    bool sendMacro(const std::string& macro);
    // The callsign in the host's entry field.
    std::optional<std::string> enteredCallsign();
    // The operating frequency in Hz.
    std::optional<double> frequencyHz();

private:
    bool invoke(DISPID member, WORD flags, VARIANT* argument, VARIANT* result);

    IDispatch* host_ = nullptr;
};

}  // namespace ui
