#include "checker/qso_status.h"

const char* qsoStatusName(QsoStatus status)
{
    static const char* const kNames[] = {"OK",     "NIL",  "BUSTED_CALL",   "BUSTED_EXCH", "UNIQUE",
                                         "NO_LOG", "DUPE", "OUT_OF_PERIOD", "REJECTED"};
    return kNames[static_cast<std::size_t>(status)];
}

bool countsInScore(QsoStatus status, const ContestConfig& config)
{
    return status == QsoStatus::Ok || status == QsoStatus::NoLog ||
           (status == QsoStatus::Unique && config.countUniques);
}

int penaltyFor(QsoStatus status, const ContestConfig& config)
{
    if (status == QsoStatus::Nil)
        return config.nilPenalty;
    if (status == QsoStatus::BustedCall || status == QsoStatus::BustedExch)
        return config.bustedPenalty;
    return 0;
}
