// Logs built straight as the plug-in would have judged them, for the tests
// of the matcher's units: no file is read and no rule is played.
#pragma once

#include <string>
#include <vector>

#include "checker/clock_offsets.h"
#include "checker/match_table.h"

namespace fixture {

struct Line {
    std::string worked;
    int minute;            // after 20:00 on 2025-12-20, as logged
    std::string received;  // empty: what `worked` sends
    std::string bandMode = "80M CW";
    bool duplicate = false;
};

struct Log {
    std::string call;
    std::vector<Line> lines;
};

// Each station sends its own number: RA1A 11, RB2B 22; other calls "59".
inline std::string exchangeOf(const std::string& call)
{
    return call.size() > 2 && call[2] >= '0' && call[2] <= '9' ? std::string(2, call[2]) : "59";
}

inline std::vector<CheckedLog> logsOf(const std::vector<Log>& logs)
{
    std::vector<CheckedLog> checked(logs.size());
    for (std::size_t l = 0; l < logs.size(); ++l) {
        LogCheck& log = checked[l].log;
        log.fileName = logs[l].call + ".log";
        log.callsign = logs[l].call;
        for (std::size_t i = 0; i < logs[l].lines.size(); ++i) {
            const Line& line = logs[l].lines[i];
            JudgedQso judged;
            judged.played = true;
            judged.outcome.earlierMatches = line.duplicate ? 1 : 0;
            LoggedQso qso;
            qso.line = static_cast<int>(i) + 5;
            qso.ownCallsign = log.callsign;
            qso.workedCallsign = line.worked;
            qso.band = line.bandMode.substr(0, line.bandMode.find(' '));
            qso.mode = line.bandMode.substr(line.bandMode.find(' ') + 1);
            qso.time =
                civilTimeFromOleDate(oleDateFromCivilTime({2025, 12, 20, 20, 0, 0}) + line.minute / 1440.0).value();
            qso.exchangeSent = exchangeOf(log.callsign);
            qso.exchangeReceived = line.received.empty() ? exchangeOf(line.worked) : line.received;
            judged.qso = QsoRecord(qso, "", "");
            log.qsos.push_back(judged);
        }
    }
    return checked;
}

// The table of `logs` with the clocks corrected, as pairing finds it.
inline MatchTable correctedTable(const std::vector<CheckedLog>& logs)
{
    MatchTable table = matchTableOf(logs);
    correctClocks(table, estimateClockOffsets(table, logs.size()));
    return table;
}

}  // namespace fixture
