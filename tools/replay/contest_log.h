// A contest log as read from a Cabrillo or ADIF file, in the terms the host
// hands to Stats.dll: band labels such as "80m", mode labels such as "CW" or
// "SSB", the frequency in hertz and the QSO time in UTC.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "contest/ole_date.h"

struct LoggedQso {
    int line = 0;  // where the QSO stands in its file
    std::string ownCallsign;
    std::string workedCallsign;
    uint32_t frequencyHz = 0;  // 0 when the log gives only the band
    std::string band;
    std::string mode;
    CivilTime time;
    std::string rstSent;
    std::string exchangeSent;
    std::string rstReceived;
    std::string exchangeReceived;
};

// A line (or ADIF record) that was not replayed, and why.
struct SkippedLine {
    std::string file;
    int line = 0;
    std::string reason;

    // "file:line: reason", the form compilers use, so editors can jump there.
    std::string describe() const;
};

struct ContestLog {
    std::string ownCallsign;  // from the log's header or its first QSO; may be empty
    std::vector<LoggedQso> qsos;
    std::vector<SkippedLine> skipped;
};

// A file that cannot be read at all (missing, or not a log of a known kind).
class LogFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
