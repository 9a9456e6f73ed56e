#include "logplay/log_player.h"

#include "rules/reset.h"
#include "score/results.h"
#include "score/scoring.h"

QsoFields hostFieldsOf(const LoggedQso& qso, const std::string& countryPrefix)
{
    QsoFields fields;
    fields.ownCallsign = qso.ownCallsign;
    fields.workedCallsign = qso.workedCallsign;
    fields.time = oleTimeOf(qso.time);
    fields.frequencyHz = qso.frequencyHz;
    fields.mode = qso.mode;
    fields.rstSent = qso.rstSent;
    fields.rstReceived = qso.rstReceived;
    fields.exchangeSent = qso.exchangeSent;
    fields.exchangeReceived = qso.exchangeReceived;
    fields.countryPrefix = countryPrefix;
    fields.band = qso.band;
    return fields;
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
