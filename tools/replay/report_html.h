// The replay's report: one self-contained HTML page (inline style and SVG,
// no scripts, nothing fetched) with the results table, the QSOs per clock
// hour and band, the CW/SSB split, err.txt grouped by reason and the header
// of the Cabrillo file.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "logfile/contest_log.h"

struct ReportInput {
    std::string logFile;
    std::string resultsText;              // as GetResult0 returned it
    std::string errText;                  // err.txt after the replay
    std::vector<LoggedQso> storedQsos;    // those Stats.dll stored, in time order
    std::string cabrilloPath;             // empty when no Cabrillo file was written
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

// err.txt's reject lines grouped by the reason that ends them ("DUPE !!!",
// ...), groups in order of first appearance, lines in file order.
struct ErrorGroup {
    std::string reason;
    std::vector<std::string> lines;
};
std::vector<ErrorGroup> errorGroups(const std::string& errText);
