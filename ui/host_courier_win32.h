// The courier: the only caller of the host's automation object.
//
// The host object lives on the host's own thread, and that thread is often
// busy, or inside FreeLibrary under the loader lock waiting for the window
// thread.  So the window thread never calls the host and never waits for
// the host's thread: it leaves its requests with the courier, a hidden
// message-only window on the thread that started the panel, and goes on.
// When that thread pumps its messages, the courier makes the calls there
// (directly, when the host object lives there) and leaves what it read in a
// mailbox, with a message to the window that asked.  A host that pumps
// normally sees the windows behave as if they called it themselves, a few
// milliseconds later; a busy host delays the calls, and nothing waits.
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

// Sent to the window that asked for a reading once it waits in the mailbox.
inline constexpr UINT kHostReadingMessage = WM_APP + 20;

// On the thread that starts the panel.  Null when no window can be made:
// requests then go nowhere.
HWND openCourier();

// From any thread.  On the courier's own thread it is destroyed at once;
// from another thread its own procedure is put back first (after any call
// in progress has returned, or at most about half a second) and it is asked
// to close, so that nothing of the DLL runs in it after an unload.  What is
// left in the outbox and the mailbox is dropped.
void retireCourier(HWND courier);

// On the courier's thread: makes the calls waiting in the outbox now.
void deliverNow(HWND courier);

// On the window thread; none of them waits for the host.
void sendMacros(HWND courier, std::initializer_list<const char*> macros);
// Asks for the entry field and the frequency; `replyTo` gets
// kHostReadingMessage when the reading waits in the mailbox.  A host that
// does not answer gets no reply.
void requestReading(HWND courier, HWND replyTo);
// The latest reading, if one is waiting; it leaves the mailbox.
std::optional<HostReading> takeReading();

}  // namespace ui
