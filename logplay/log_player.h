// A log played through the contest's rules directly: the calls a host
// makes into Stats.dll, without the host's C strings, without err.txt and
// without reading the stored record back.  Each QSO's outcome comes back as
// a value, and the results text is the one GetResult0 returns for the same
// calls, byte for byte.
#pragma once

#include <cstdint>
#include <string>

#include "contest/state.h"
#include "logfile/contest_log.h"
#include "logplay/log_plan.h"
#include "rules/acceptance.h"

// The fields a host passes for the QSO; its time valid, as logs hold it.
QsoFields hostFieldsOf(const LoggedQso& qso, const std::string& countryPrefix);

class LogPlayer {
public:
    // The reset a host makes first: the plan's own callsign, country and
    // contest dates.
    explicit LogPlayer(const ReplayPlan& plan);
    // A run told nothing: for the outcomes alone, whose rules need no
    // operator's data.
    LogPlayer() = default;

    QsoOutcome play(const LoggedQso& qso, const std::string& countryPrefix);

    // GetResult0's text for the QSOs played so far; sets claimedScore().
    std::string resultsText();
    int32_t claimedScore() const { return state_.claimedScore; }

private:
    ContestState state_;
};
