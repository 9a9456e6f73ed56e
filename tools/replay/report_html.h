// The replay's report: one self-contained HTML page (inline style and SVG,
// no scripts, nothing fetched) in the operator's language.  It opens with
// what became of the log's QSOs, then the results, the counted QSOs per
// clock hour and per band and mode, the best rates, the QSOs that do not
// count and why, the multipliers and the header of the Cabrillo file.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "messages/language.h"
#include "log_summary.h"
#include "logfile/contest_log.h"

struct ReportInput {
    Language language = Language::English;
    std::string ownCallsign;
    std::string logFile;
    std::string resultsText;  // as GetResult0 returned it
    LogSummary summary;
    std::string cabrilloPath;  // empty when no Cabrillo file was written
    std::string cabrilloText;
};

std::string reportHtml(const ReportInput& input);

// The QSOs of every clock hour (UTC) from the first QSO's to the last one's,
// empty hours included, counted per band label.
struct HourCounts {
    CivilTime hour;  // minutes and seconds 0
    std::map<std::string, int> byBand;
};
std::vector<HourCounts> qsosPerHour(const std::vector<LoggedQso>& qsos);

// The most QSOs logged within `minutes` minutes (from one QSO's time, up
// to but not including the same time `minutes` later), and the time of the
// first of them; the earliest such span when several tie.  No QSOs: 0.
struct BestRate {
    std::size_t qsos = 0;
    CivilTime from;
};
BestRate bestRate(const std::vector<LoggedQso>& qsos, int minutes);
