// The entry points the host looks up by name (plain and decorated, see
// Stats.def).  Each is a shim: it turns the host's arguments into core types,
// calls the core and turns the answer back.  Nothing thrown inside reaches
// the host: a failure answers as the contest's "no" would.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "plugin/module_win32.h"
#include "rules/acceptance.h"
#include "rules/call_check.h"
#include "rules/reset.h"
#include "score/results.h"

namespace {

// The host's COleDateTime: the OLE date, then the status.
struct HostDateTime {
    double date;
    int32_t status;
};

std::string text(const char* hostText) { return hostText ? hostText : ""; }

OleDateTime dateTime(const HostDateTime* host)
{
    if (!host)
        return OleDateTime::null();
    return {host->date, host->status};
}

// Returned where the host expects text that stays valid while the library is
// loaded: RunCommand0's answer, unknown set names, a failed results build.
const char kEmptyText[] = "";

template <typename Result, typename Body>
Result guarded(Result failureResult, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failureResult;
    }
}

QsoFields qsoFields(const char* ownCallsign, const char* workedCallsign, const HostDateTime* time,
                    unsigned frequencyHz, const char* mode, const char* rstSent, const char* rstReceived,
                    const char* exchangeSent, const char* exchangeReceived, const char* countryPrefix,
                    const char* band)
{
    QsoFields qso;
    qso.ownCallsign = text(ownCallsign);
    qso.workedCallsign = text(workedCallsign);
    qso.time = dateTime(time);
    qso.frequencyHz = frequencyHz;
    qso.mode = text(mode);
    qso.rstSent = text(rstSent);
    qso.rstReceived = text(rstReceived);
    qso.exchangeSent = text(exchangeSent);
    qso.exchangeReceived = text(exchangeReceived);
    qso.countryPrefix = text(countryPrefix);
    qso.band = text(band);
    return qso;
}

}  // namespace

#define QSO_PARAMETERS                                                                                         \
    const char *ownCallsign, const char *workedCallsign, HostDateTime *time, HostDateTime *, HostDateTime *,   \
        HostDateTime *, unsigned, unsigned frequencyHz, const char *mode, const char *rstSent,                 \
        const char *rstReceived, const char *exchangeSent, const char *exchangeReceived, const char *,         \
        const char *, const char *, const char *, const char *, const char *, const char *, const char *,       \
        const char *, const char *countryPrefix, int, int, int, double, double, const char *, const char *,    \
        const char *, const char *band, const char *

extern "C" {

#define QSO_FIELDS                                                                                             \
    qsoFields(ownCallsign, workedCallsign, time, frequencyHz, mode, rstSent, rstReceived, exchangeSent,      \
              exchangeReceived, countryPrefix, band)

int AddData0(QSO_PARAMETERS)
{
    return guarded(0, [&] {
        Module& module = theModule();
        return addQso(module.state, module.errors, QSO_FIELDS);
    });
}

int RemoveData0(QSO_PARAMETERS)
{
    return guarded(0, [&] { return removeQso(theModule().state, QSO_FIELDS); });
}

int CheckCall0(const char* callsign, unsigned, unsigned, const char* mode, const char*, const char*, const char*,
               const char*, const char*, const char*, const char*, const char*, const char*, const char*, int, int,
               int, double, double, const char*, const char*, const char*, const char*, const char*,
               const char* band, const char*, char*, char* message)
{
    return guarded(1, [&] {
        Module& module = theModule();
        const CallCheck check = checkCall(module.state, module.platform, text(callsign), text(mode), text(band));
        if (check.mayWork)
            return 1;
        if (message)
            copyWarning(check.warning, message, kWarningBufferSize);
        return 0;
    });
}

const char* GetResult0(int* out)
{
    const char* result = guarded(kEmptyText, [] {
        Module& module = theModule();
        return buildResults(module.state, module.cabrillo, module.platform).c_str();
    });
    if (out)
        *out = -1;
    return result;
}

int ResetStats0(const char*, int exportFlag, const char* ownCallsign, HostDateTime* contestStart,
                HostDateTime* contestEnd, const char*, const char*, const char*, const char*, const char*,
                const char*, const char*, const char*, const char*, const char* ownCountryPrefix, int, int, int,
                double, double, const char*, const char*, const char*)
{
    return guarded(1, [&] {
        Module& module = theModule();
        ResetArgs args{exportFlag, text(ownCallsign), dateTime(contestStart), dateTime(contestEnd),
                       text(ownCountryPrefix)};
        resetContest(module.state, module.errors, module.cabrillo, module.platform, args);
        return 1;
    });
}

const char* RunCommand0(int, const char* command)
{
    guarded(0, [&] {
        const std::string name = text(command);
        if (name == "SHOWINFO")
            theModule().platform.showModePanel();
        else if (name == "HIDEINFO")
            theModule().platform.closeWindows();
        return 0;
    });
    return kEmptyText;
}

void SetupSet0()
{
    ::MessageBoxA(nullptr, "No additional setup for this contest", nullptr, MB_OK);
}

const char* GetSetName(int index)
{
    return index == 0 ? "ZEMRIX (C)" : kEmptyText;
}

int GetNumberOfSets()
{
    return 1;
}

int IsValidExchg0(const char* exchange, const char*, const char*, const char*, int, int, int)
{
    return exchange && std::strlen(exchange) == 2 && exchange[0] >= '0' && exchange[0] <= '9' &&
           exchange[1] >= '0' && exchange[1] <= '9';
}

}  // extern "C"
