// A log file as a whole: which format it is in, told by its content, and
// what the replay needs of every log whatever its format (time order, texts
// that the Cabrillo file can hold).
#pragma once

#include <string>
#include <string_view>

#include "logfile/contest_log.h"

// Reads a log file's bytes.  UTF-16 text (with or without a byte order mark)
// is read with one byte per character; a UTF-8 byte order mark is dropped.
// A first non-blank line that begins with START-OF-LOG: (any case) means
// Cabrillo; otherwise <EOH> or <EOR> (any case) means ADIF.  Throws
// LogFileError "FILE: not a Cabrillo or ADIF log (why)" for anything else.
//
// The QSOs come back in time order: a stable sort, so QSOs of the same
// minute keep their order in the file, with a note when the file had them
// otherwise.  Texts that would shift the columns of the Cabrillo file's QSO
// lines (a blank inside, or a missing RST) are warned about.
ContestLog readContestLog(const std::string& bytes, const std::string& fileName);

// A log file's text for quoting its lines: UTF-16 (told as above) turned
// into UTF-8 with every character kept, a UTF-8 byte order mark dropped,
// any other bytes as they are, but a CR alone, which ends a line as LF and
// CR LF do, becomes LF.  Its lines are the lines the reader numbers.
std::string logFileText(const std::string& bytes);

// Whether the text's first line that holds anything begins START-OF-LOG:,
// in any case: what makes a log Cabrillo.
bool isCabrilloText(std::string_view text);

// The same for a file on disk, its path in UTF-8; throws LogFileError with
// one message for a missing file, another for a folder and a third for a
// file that cannot be read.
ContestLog readContestLogFile(const std::string& path);
