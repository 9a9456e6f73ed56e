// A host's view of Stats.dll: loaded with LoadLibrary like the real
// host, every entry point found by name, and calls made with the full
// argument lists the host uses.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "contest/ole_date.h"

using AddOrRemoveFn = int (*)(const char*, const char*, HostDateTime*, HostDateTime*, HostDateTime*, HostDateTime*,
                              unsigned, unsigned, const char*, const char*, const char*, const char*, const char*,
                              const char*, const char*, const char*, const char*, const char*, const char*,
                              const char*, const char*, const char*, const char*, int, int, int, double, double,
                              const char*, const char*, const char*, const char*, const char*);
using CheckCallFn = int (*)(const char*, unsigned, unsigned, const char*, const char*, const char*, const char*,
                            const char*, const char*, const char*, const char*, const char*, const char*,
                            const char*, int, int, int, double, double, const char*, const char*, const char*,
                            const char*, const char*, const char*, const char*, char*, char*);
using ResetFn = int (*)(const char*, int, const char*, HostDateTime*, HostDateTime*, const char*, const char*,
                        const char*, const char*, const char*, const char*, const char*, const char*, const char*,
                        const char*, int, int, int, double, double, const char*, const char*, const char*);
using GetResultFn = const char* (*)(int*);
using RunCommandFn = const char* (*)(int, const char*);
using SetupSetFn = void (*)();
using GetSetNameFn = const char* (*)(int);
using CountFn = int (*)();
using ExchangeCountFn = int (*)(const char*, const char*, const char*);
using IsValidExchangeFn = int (*)(const char*, const char*, const char*, const char*, int, int, int);

// The full path of Stats.dll beside the test program.
std::string statsDllPath();

struct QsoCall {
    std::string own = "OWN";
    std::string worked;
    OleDateTime time;
    unsigned frequencyHz = 3512000;
    std::string mode = "CW";
    std::string rstSent = "599";
    std::string rstReceived = "599";
    std::string exchangeSent = "001";
    std::string exchangeReceived = "12";
    std::string countryPrefix = "DL";
    std::string band = "80m";
};

class StatsDll {
public:
    StatsDll();
    ~StatsDll();
    StatsDll(const StatsDll&) = delete;
    StatsDll& operator=(const StatsDll&) = delete;

    HMODULE module() const { return module_; }
    FARPROC entry(const char* name) const { return ::GetProcAddress(module_, name); }

    int addData(const QsoCall& qso) const;
    int removeData(const QsoCall& qso) const;
    int checkCall(const char* callsign, const char* mode, const char* band, char* message) const;
    int reset(int exportFlag, const char* ownCallsign, OleDateTime start, OleDateTime end,
              const char* ownCountryPrefix) const;
    std::string result() const;

    AddOrRemoveFn AddData0;
    AddOrRemoveFn RemoveData0;
    CheckCallFn CheckCall0;
    ResetFn ResetStats0;
    GetResultFn GetResult0;
    RunCommandFn RunCommand0;
    SetupSetFn SetupSet0;
    GetSetNameFn GetSetName;
    CountFn GetNumberOfSets;
    ExchangeCountFn GetExchgCount0;
    IsValidExchangeFn IsValidExchg0;

private:
    HMODULE module_;
};
