// The courier: the only caller of the host's automation object.
//
// The host object lives on the host's own thread, and that thread is often
// busy, or inside FreeLibrary under the loader lock waiting for the window
// thread.  So the window thread never calls the host and never waits for
// the host's thread: it leaves its requests with the courier, a hidden
// message-only window on a host's thread, and goes on.  When that thread
// pumps its messages, the courier makes the calls there (directly, when the
// host object lives there) and posts the outcome back to the window that
// asked: a reading waits in a mailbox, macros are reported delivered or
// given up.  A host that pumps normally sees the windows behave as if they
// called it themselves, a few milliseconds later; a busy host delays the
// calls, and nothing waits.
//
// One courier serves at a time.  The thread that opens the panel offers
// one; when that thread ends, its courier goes with it, what it had not
// delivered waits, and the next host's thread that makes a call check (or
// opens a panel) takes over and delivers it.  A courier that leaves a
// request untouched for a quarter of a second (its thread does not pump)
// is replaced the same way.  Until then the windows know that nothing
// carries their calls.
//
// The courier is a window of a system class whose procedure we replace, so
// it can be made harmless from any thread: with the system's procedure put
// back it runs no code of the DLL, and it goes when its thread next pumps.
#pragma once

#include <windows.h>

#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>

namespace ui {

// What the multiplier window's refresh reads from the host.
struct HostReading {
    std::string callsign;
    double frequencyHz = NAN;  // NAN: not read (partial callsign), or not given
};

// Posted to the window that asked for a reading once it waits in the mailbox.
inline constexpr UINT kHostReadingMessage = WM_APP + 20;
// Posted to the window that sent macros: wParam is a MacroOutcome.
inline constexpr UINT kMacroOutcomeMessage = WM_APP + 23;
enum MacroOutcome : WPARAM {
    kMacrosDelivered,
    kHostNotAnswering,  // the host failed every try
    kCourierGone,       // its thread ended first
};

// On a host's thread: this thread becomes the courier, unless a courier
// whose thread still runs serves already and takes up what is left for it
// (a courier on a thread that does not pump is replaced).  Quick when one
// serves.
void offerCourier();

// From any thread: the courier in service leaves.  On its own thread it is
// destroyed at once; from another thread the system's procedure is put back
// and it is asked to close.  Nothing waits for a call it is making: that
// call holds the library until it returns (contest/unload_gate_win32.h).  What
// is left undelivered is dropped.
void retireCourier();

// On a thread that ends: if it carried the courier, the courier goes, and
// what it had not delivered is reported as kCourierGone and kept for the
// next courier.
void courierThreadEnding();

// On the courier's thread: makes the calls waiting in the outbox now.
void deliverNow();

// On the window thread; none of them waits for the host.  False when no
// courier can carry the request now.  Macros wait for the next courier
// then, and `replyTo` hears kMacrosDelivered when they have gone; a
// reading is not asked for.
bool sendMacros(HWND replyTo, std::initializer_list<const char*> macros);
// Asks for the entry field and the frequency; `replyTo` gets
// kHostReadingMessage when the reading waits in the mailbox.  A host that
// does not answer gets no reply.
bool requestReading(HWND replyTo);
// The latest reading, if one is waiting; it leaves the mailbox.
std::optional<HostReading> takeReading();

}  // namespace ui
