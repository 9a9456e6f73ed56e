// QSO arguments as the host passes them, with sensible defaults a test
// overrides field by field.
#pragma once

#include "rules/acceptance.h"

inline OleDateTime utc(int year, int month, int day, int hour, int minute)
{
    return {oleDateFromCivilTime({year, month, day, hour, minute, 0}), OleDateTime::Valid};
}

inline QsoFields contestQso(const std::string& workedCallsign, const std::string& band = "80m",
                            const std::string& mode = "CW", OleDateTime time = utc(2015, 6, 14, 13, 5))
{
    QsoFields qso;
    qso.ownCallsign = "OWN";
    qso.workedCallsign = workedCallsign;
    qso.time = time;
    qso.frequencyHz = band == "40m" ? 7012000 : 3512000;
    qso.mode = mode;
    qso.rstSent = "599";
    qso.rstReceived = "579";
    qso.exchangeSent = "001";
    qso.exchangeReceived = "12";
    qso.countryPrefix = "DL";
    qso.band = band;
    return qso;
}
