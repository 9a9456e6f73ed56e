// ResetStats0's work: begin a contest run.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "cabrillo/cabrillo_log.h"
#include "contest/platform.h"
#include "contest/state.h"
#include "rules/error_log.h"
#include "contest/ole_date.h"

struct ResetArgs {
    int32_t exportFlag = 0;
    std::string ownCallsign;
    OleDateTime contestStart;
    OleDateTime contestEnd;
    std::string ownCountryPrefix;
};

inline constexpr char kErrorLogHeader[] = "ZEMRIX TEST UBN file ";

// Forgets every QSO and takes over the operator's data: all a contest run
// needs before its QSOs are played, with no file, window or setting touched.
void beginContestRun(ContestState& state, const ResetArgs& args);

// beginContestRun, then starts the error log afresh, runs the Cabrillo
// header dialog when an export is asked for, and toggles the mode panel by
// the "Start" setting.
//
// `entry` is the caller's lock over the contest: held on entry and on
// return, let go while the header dialog is open and while the mode panel
// starts, so that the host can call in meanwhile.
void resetContest(ContestState& state, const ErrorLog& errors, CCabrilloLog& cabrillo, Platform& platform,
                  const ResetArgs& args, std::unique_lock<std::mutex>& entry);
