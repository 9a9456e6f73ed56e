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
    ResetArgs reset;
    reset.ownCallsign = plan.ownCallsign;
    reset.contestStart = oleTimeOf(plan.contestStart);
    reset.contestEnd = oleTimeOf(plan.contestEnd);
    reset.ownCountryPrefix = plan.ownCountryPrefix;
    beginContestRun(state_, reset);
}

QsoOutcome LogPlayer::play(const LoggedQso& qso, const std::string& countryPrefix)
{
    return playQso(state_, hostFieldsOf(qso, countryPrefix));
}

std::string LogPlayer::resultsText() { return ::resultsText(state_, scoreLog(state_)); }
