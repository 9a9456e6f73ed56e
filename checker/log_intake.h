// The files of a contest read into logs: side by side, each trusted for
// the call its QSO lines were sent by, and one log kept of each call.
#pragma once

#include <string>
#include <vector>

#include "checker/cross_check.h"

struct ReadLogs {
    std::vector<LogCheck> logs;      // one per file, in the order given
    std::vector<Message> notes;  // what the organiser must hear first
};

// The call more than half of the readable QSO lines were sent by, when it
// is not the log's own; empty otherwise.
std::string callOfTheQsoLines(const LogCheck& log);

// Plays every file through the plug-in's rules (all its QSOs: the period
// is applied later, after the clocks are corrected).  A log whose header
// names a call that most of its QSO lines were not sent by is played again
// as the call of those lines, which is what its partners logged.  Each
// file's bytes are let go once it is read.
ReadLogs readLogs(std::vector<LogInput>& files, const CountryPrefixes& countries, const CheckProgress& progress);

// Of several CHECKED logs from one call, keeps the one the organiser chose,
// else the one with the most QSO lines (the later file on a tie), and sets
// the others SUPERSEDED; names the files and the choice in `notes`.
void keepOneLogPerCall(std::vector<LogCheck>& logs, const std::vector<std::string>& chosenFiles,
                       std::vector<Message>& notes);
