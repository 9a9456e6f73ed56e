#include "stats_dll.h"

#include <stdexcept>
#include <utility>

namespace {

template <typename Fn>
Fn resolve(HMODULE module, const char* name)
{
    FARPROC address = ::GetProcAddress(module, name);
    if (!address)
        throw std::runtime_error(std::string("Stats.dll does not export ") + name);
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

// Each entry point by name, into the member named before it.
template <typename Fn, typename... More>
void resolveAll(HMODULE module, Fn& entry, const char* name, More&&... more)
{
    entry = resolve<Fn>(module, name);
    if constexpr (sizeof...(more) > 0)
        resolveAll(module, std::forward<More>(more)...);
}

// Arguments the plug-in must ignore get values it would choke on if it
// read them.
const char kIgnored[] = "ignored";

int callWithQso(AddOrRemoveFn fn, const QsoCall& q)
{
    HostDateTime time = hostDateTime(q.time), other{-1e9, 1};
    const char* i = kIgnored;
    return fn(q.own.c_str(), q.worked.c_str(), &time, &other, &other, &other, 0xFFFFFFFFu, q.frequencyHz,
              q.mode.c_str(), q.rstSent.c_str(), q.rstReceived.c_str(), q.exchangeSent.c_str(),
              q.exchangeReceived.c_str(), i, i, i, i, i, i, i, i, i, q.countryPrefix.c_str(), -1, -1, -1, 1e300,
              -1e300, i, i, i, q.band.c_str(), i);
}

}  // namespace

std::string statsDllPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + "Stats.dll";
}

StatsDll::StatsDll() : module_(::LoadLibraryA(statsDllPath().c_str()))
{
    if (!module_)
        throw std::runtime_error("cannot load " + statsDllPath());
    resolveAll(module_, AddData0, "AddData0", RemoveData0, "RemoveData0", CheckCall0, "CheckCall0", ResetStats0,
               "ResetStats0", GetResult0, "GetResult0", RunCommand0, "?RunCommand0@@YAPBDHPBD@Z", SetupSet0,
               "SetupSet0", GetSetName, "GetSetName", GetNumberOfSets, "GetNumberOfSets", GetExchgCount0,
               "GetExchgCount0", IsValidExchg0, "IsValidExchg0");
}

StatsDll::~StatsDll()
{
    ::FreeLibrary(module_);
}

int StatsDll::addData(const QsoCall& qso) const { return callWithQso(AddData0, qso); }

int StatsDll::removeData(const QsoCall& qso) const { return callWithQso(RemoveData0, qso); }

int StatsDll::checkCall(const char* callsign, const char* mode, const char* band, char* message) const
{
    const char* i = kIgnored;
    char untouched[8] = "keep";
    const int result = CheckCall0(callsign, 7, 7, mode, i, i, i, i, i, i, i, i, i, i, -1, -1, -1, 1e300, -1e300, i,
                                  i, i, i, i, band, i, untouched, message);
    if (std::string(untouched) != "keep")
        throw std::runtime_error("CheckCall0 wrote into argument 27");
    return result;
}

int StatsDll::reset(int exportFlag, const char* ownCallsign, OleDateTime start, OleDateTime end,
                    const char* ownCountryPrefix) const
{
    HostDateTime from = hostDateTime(start), to = hostDateTime(end);
    const char* i = kIgnored;
    return ResetStats0(i, exportFlag, ownCallsign, &from, &to, i, i, i, i, i, i, i, i, i, ownCountryPrefix, -1, -1,
                       -1, 1e300, -1e300, i, i, i);
}

std::string StatsDll::result() const
{
    int out = 12345;
    const char* text = GetResult0(&out);
    if (out != -1)
        throw std::runtime_error("GetResult0 did not store -1");
    return text;
}
