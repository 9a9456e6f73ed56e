// The entry points the host looks up by name (plain and decorated, see
// Stats.def).  Each hands the arguments the plug-in reads to EntryPoints,
// which does the work and answers.
//
// The names the host finds are one jump each, through the unload gate
// (contest/unload_gate_win32.h), to the functions below: a call that is
// still under way when the host frees the library, such as results whose
// "Output" box is open, keeps it loaded until it returns.
#include "plugin/exports_win32.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "contest/unload_gate_win32.h"
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

namespace {

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

// The stack words a cdecl function's arguments take.
template <typename Result, typename... Arguments>
constexpr std::size_t argumentBytes(Result (*)(Arguments...))
{
    return (((sizeof(Arguments) + 3) / 4 * 4) + ... + 0);
}

}  // namespace

// Where each exported name jumps: the function itself until the gates are
// made, then its gate.
#define EXPORTED(name) reinterpret_cast<void*>(name)
extern "C" {
void* zemrixExports[] = {
    EXPORTED(AddData0),   EXPORTED(RemoveData0),     EXPORTED(CheckCall0), EXPORTED(GetResult0),
    EXPORTED(ResetStats0), EXPORTED(RunCommand0),    EXPORTED(SetupSet0),  EXPORTED(GetSetName),
    EXPORTED(GetNumberOfSets), EXPORTED(IsValidExchg0),
};
}
#undef EXPORTED

#define EXPORT_JUMP(index, name) ".globl _" #name "\n_" #name ":\n    jmp *_zemrixExports+" #index "*4\n"
asm(".text\n" EXPORT_JUMP(0, AddData0) EXPORT_JUMP(1, RemoveData0) EXPORT_JUMP(2, CheckCall0)
        EXPORT_JUMP(3, GetResult0) EXPORT_JUMP(4, ResetStats0) EXPORT_JUMP(5, RunCommand0) EXPORT_JUMP(6, SetupSet0)
            EXPORT_JUMP(7, GetSetName) EXPORT_JUMP(8, GetNumberOfSets) EXPORT_JUMP(9, IsValidExchg0));
#undef EXPORT_JUMP

void gateExports()
{
    const std::size_t bytes[] = {
        argumentBytes(AddData0),   argumentBytes(RemoveData0),     argumentBytes(CheckCall0),
        argumentBytes(GetResult0), argumentBytes(ResetStats0),     argumentBytes(RunCommand0),
        argumentBytes(SetupSet0),  argumentBytes(GetSetName),      argumentBytes(GetNumberOfSets),
        argumentBytes(IsValidExchg0),
    };
    static_assert(sizeof bytes / sizeof bytes[0] == sizeof zemrixExports / sizeof zemrixExports[0]);
    for (std::size_t i = 0; i < sizeof bytes / sizeof bytes[0]; ++i)
        zemrixExports[i] = gatedCall(zemrixExports[i], bytes[i]);
}
