// The entry points the host looks up by name (plain and decorated, see
// Stats.def).  Each hands the arguments the plug-in reads to EntryPoints,
// which does the work and answers.
#include <windows.h>

#include <cstring>

#include "plugin/module_win32.h"

namespace {

EntryPoints& entries() { return theModule().entries; }

// Returned where the host expects text that stays valid while the library is
// loaded: RunCommand0's answer and unknown set names.
const char kEmptyText[] = "";

}  // namespace

#define QSO_PARAMETERS                                                                                         \
    const char *ownCallsign, const char *workedCallsign, HostDateTime *time, HostDateTime *, HostDateTime *,   \
        HostDateTime *, unsigned, unsigned frequencyHz, const char *mode, const char *rstSent,                 \
        const char *rstReceived, const char *exchangeSent, const char *exchangeReceived, const char *,         \
        const char *, const char *, const char *, const char *, const char *, const char *, const char *,       \
        const char *, const char *countryPrefix, int, int, int, double, double, const char *, const char *,    \
        const char *, const char *band, const char *

#define HOST_QSO                                                                                               \
    HostQso{ownCallsign,  workedCallsign, time,   frequencyHz, mode, rstSent, rstReceived, exchangeSent,        \
            exchangeReceived, countryPrefix, band}

extern "C" {

int AddData0(QSO_PARAMETERS)
{
    return entries().addData(HOST_QSO);
}

int RemoveData0(QSO_PARAMETERS)
{
    return entries().removeData(HOST_QSO);
}

int CheckCall0(const char* callsign, unsigned, unsigned, const char* mode, const char*, const char*, const char*,
               const char*, const char*, const char*, const char*, const char*, const char*, const char*, int, int,
               int, double, double, const char*, const char*, const char*, const char*, const char*,
               const char* band, const char*, char*, char* message)
{
    return entries().checkCall(callsign, mode, band, message);
}

const char* GetResult0(int* out)
{
    return entries().getResult(out, ::GetCurrentThreadId());
}

int ResetStats0(const char*, int exportFlag, const char* ownCallsign, HostDateTime* contestStart,
                HostDateTime* contestEnd, const char*, const char*, const char*, const char*, const char*,
                const char*, const char*, const char*, const char*, const char* ownCountryPrefix, int, int, int,
                double, double, const char*, const char*, const char*)
{
    return entries().resetStats(exportFlag, ownCallsign, contestStart, contestEnd, ownCountryPrefix);
}

const char* RunCommand0(int, const char* command)
{
    entries().runCommand(command);
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
