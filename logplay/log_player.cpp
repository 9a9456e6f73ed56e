#include "logplay/log_player.h"

#include "rules/reset.h"
#include "score/results.h"
#include "score/scoring.h"

// Each text copied straight into its field: every QSO of every log played
// is made into these.
QsoFields hostFieldsOf(const LoggedQso& qso, const std::string& countryPrefix)
{
    return {qso.ownCallsign, qso.workedCallsign, oleTimeOf(qso.time),  qso.frequencyHz, qso.mode, qso.rstSent,
            qso.rstReceived, qso.exchangeSent,   qso.exchangeReceived, countryPrefix,   qso.band};
}

LogPlayer::LogPlayer(const ReplayPlan& plan)
{
    // No Cabrillo export: the player writes no file.
    const int32_t exportFlag = 0;
    beginContestRun(state_, {exportFlag, plan.ownCallsign, oleTimeOf(plan.contestStart), oleTimeOf(plan.contestEnd),
                             plan.ownCountryPrefix});
}

QsoOutcome LogPlayer::play(const LoggedQso& qso, const std::string& countryPrefix)
{
    return playQso(state_, hostFieldsOf(qso, countryPrefix));
}

std::string LogPlayer::resultsText() { return ::resultsText(state_, scoreLog(state_)); }
