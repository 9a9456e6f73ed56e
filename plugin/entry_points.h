// The host's calls as the plug-in answers them, behind the thin exported
// functions of exports.cpp.  Portable, so that tests and fuzzers drive the
// very shims the DLL runs.
//
// Each shim turns the host's arguments into the core's types (a null text is
// empty, a null date is a null date), calls the core and turns the answer
// back; nothing thrown inside reaches the host, and a failure answers as the
// contest's "no" would.
//
// The host may call from several threads at once, and its message loop may
// call again while a message box or dialog of an earlier call is open.  One
// lock keeps the calls' work apart.  It is let go before anything that waits
// for the operator or for another thread (the "Output" box, the header
// dialog, the mode panel's start and close), so a call nested on the same
// thread never waits for itself and no thread waits on a box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "contest/ole_date.h"
#include "contest/platform.h"
#include "contest/state.h"
#include "rules/error_log.h"

// The arguments of AddData0 and RemoveData0 that the plug-in reads, as the
// host passes them: any text, and the time, may be null.
struct HostQso {
    const char* ownCallsign = nullptr;
    const char* workedCallsign = nullptr;
    const HostDateTime* time = nullptr;
    uint32_t frequencyHz = 0;
    const char* mode = nullptr;
    const char* rstSent = nullptr;
    const char* rstReceived = nullptr;
    const char* exchangeSent = nullptr;
    const char* exchangeReceived = nullptr;
    const char* countryPrefix = nullptr;
    const char* band = nullptr;
};

// Which host thread is calling; the DLL passes the thread's id.
using CallerId = uint32_t;

class EntryPoints {
public:
    explicit EntryPoints(Platform& platform, std::string errorLogPath = kErrorLogFile);

    int addData(const HostQso& qso) noexcept;
    int removeData(const HostQso& qso) noexcept;

    // 1, or 0 with the warning in `message`, a buffer of kWarningBufferSize
    // bytes (nothing is written through a null one).
    int checkCall(const char* callsign, const char* mode, const char* band, char* message) noexcept;

    // The results text.  It stays valid until the same caller asks again,
    // whatever other callers do meanwhile, however many they are; once the
    // caller has ended, until the next request from any caller.  -1 goes to
    // `out` (may be null).
    const char* getResult(int* out, CallerId caller) noexcept;

    // The caller has ended (the DLL calls it as each host thread ends), so
    // its text is no longer its own.  The host may still read it on another
    // thread, so it is kept until the next request frees it; a new caller
    // given the same id meanwhile gets a text of its own.  It waits for
    // nothing but the texts' own short lock, so it is safe where the system
    // holds its loader lock.
    void releaseResultsText(CallerId caller) noexcept;

    // How many texts are kept now, of callers alive or ended.
    std::size_t keptResultsTexts();

    int resetStats(int exportFlag, const char* ownCallsign, const HostDateTime* contestStart,
                   const HostDateTime* contestEnd, const char* ownCountryPrefix) noexcept;

    // "SHOWINFO" and "HIDEINFO"; every other text does nothing.
    void runCommand(const char* command) noexcept;

    // For the windows, which read it under its own lock, and for tests.
    ContestState& state() { return state_; }

private:
    const char* keepResultsText(CallerId caller, std::string text);
    const char* resultsTextOf(CallerId caller);
    void freeEndedCallersTexts();

    Platform& platform_;
    std::mutex entry_;
    ContestState state_;
    ErrorLog errors_;
    CCabrilloLog cabrillo_;

    // Apart from entry_, so that a thread's end never waits for a call in
    // progress.  The map's nodes never move, nor does a text until its
    // own caller asks again.  An ended caller's node leaves the map whole,
    // text in place, so that its id is free for a new thread.
    using ResultsTexts = std::unordered_map<CallerId, std::string>;
    std::mutex textsLock_;
    ResultsTexts resultsTexts_;
    std::vector<ResultsTexts::node_type> endedCallersTexts_;
};
