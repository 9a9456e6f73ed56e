// What became of each QSO of a log on its way into the score: read or not,
// rejected by the rules, a duplicate, or counted.  The console and the HTML
// report print the same figures from it.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "messages/language.h"
#include "logfile/contest_log.h"

struct RejectedQso {
    LoggedQso qso;
    std::string reason;  // the rules' word for it, as err.txt ends the line: "NO TEST MODE !!!"
};

struct DuplicateQso {
    LoggedQso qso;
    LoggedQso earlier;  // the first QSO with the station on that band and mode: the one that counts
};

struct LogSummary {
    std::size_t qsosInFile = 0;            // QSO lines or records, whatever became of them
    std::vector<LineMessage> skipped;      // those the reader could not read
    std::size_t excluded = 0;              // X-QSO lines, left out by the log itself
    std::size_t notChecked = 0;            // read, but not handed to the rules
    std::vector<RejectedQso> rejected;     // in log order
    std::vector<DuplicateQso> duplicates;  // each repeated QSO once, in log order
    std::vector<LoggedQso> counted;        // in log order
    std::vector<std::string> multipliers;  // the stations that count as multipliers, sorted
};

// Runs `checked` (the log's QSOs as replayed, each with the country prefix
// of its worked station) through the contest's own rules and scoring, the
// code Stats.dll is built from, and sorts every QSO of `log` into one class.
// The classes add up to `qsosInFile`.
LogSummary summarizeLog(const ContestLog& log, const std::vector<LoggedQso>& checked,
                        const std::vector<std::string>& countryPrefixes);

// The figures as label and count, the QSOs in the file first; the classes
// that can only be empty for this log (no X-QSO lines) are left out.
std::vector<std::pair<std::string, std::size_t>> summaryFigures(const LogSummary& summary, Language language);

// The figures, one a line, the classes indented under the total.
void printLogSummary(const LogSummary& summary, Language language, std::ostream& out);
