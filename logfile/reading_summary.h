// What reading a log has to tell the operator, as replay.exe prints it.
#pragma once

#include <ostream>
#include <string>

#include "logfile/contest_log.h"

// The skipped lines, then the warnings: each list up to its first 20 lines,
// then a count of the rest.
void printLineMessages(const ContestLog& log, std::ostream& out, Language language = Language::English);

// The notes, then one line "FILE: N QSOs read, M lines skipped", naming the
// X-QSO lines when there were any.
void printReadingSummary(const ContestLog& log, const std::string& fileName, std::ostream& out);
