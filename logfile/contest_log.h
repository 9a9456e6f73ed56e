// A contest log as read from a Cabrillo or ADIF file, in the terms the host
// hands to Stats.dll: band labels such as "80m", mode labels such as "CW" or
// "SSB", callsigns in upper case, the frequency in hertz and the QSO time in
// UTC.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "contest/ole_date.h"
#include "messages/message_catalogue.h"

struct LoggedQso {
    int line = 0;  // where the QSO stands in its file
    std::string ownCallsign;
    std::string workedCallsign;
    uint32_t frequencyHz = 0;
    std::string band;
    std::string mode;
    CivilTime time;
    std::string rstSent;
    std::string exchangeSent;
    std::string rstReceived;
    std::string exchangeReceived;
};

// Something said about one line (or ADIF record) of a log file.
struct LineMessage {
    std::string file;
    int line = 0;
    Message message;

    // "file:line: text", the form compilers use, so editors can jump there.
    std::string describe(Language language = Language::English) const;
};

struct ContestLog {
    std::string ownCallsign;  // from the log's header or its first QSO; may be empty
    std::vector<LoggedQso> qsos;
    std::vector<LineMessage> skipped;   // lines that were not replayed, and why
    std::vector<LineMessage> warnings;  // lines replayed, but not quite as written
    std::vector<std::string> notes;     // said once for the whole file
    int excludedQsos = 0;               // X-QSO lines: left out by the log itself
    // A Cabrillo log's "TAG: value" lines but QSO:, X-QSO: and END-OF-LOG:,
    // in file order: the tag in upper case, the value trimmed.
    std::vector<std::pair<std::string, std::string>> header;
};

// A file that cannot be read at all (missing, or not a log of a known kind).
// what() is "FILE: why" in English.
class LogFileError : public std::runtime_error {
public:
    LogFileError(const std::string& fileName, Message why)
        : std::runtime_error(fileName + ": " + why.english()), fileName_(fileName), why_(std::move(why))
    {
    }
    const std::string& fileName() const { return fileName_; }
    const Message& why() const { return why_; }

private:
    std::string fileName_;
    Message why_;
};

// Reading as loggers read: callsigns and mode words in any case mean the same
// station and mode.  Remembers whether it had to change anything, so the file
// can be told once.
class CaseFolder {
public:
    std::string operator()(std::string_view text);
    bool folded() const { return folded_; }

private:
    bool folded_ = false;
};

// The note for a log that had lower case in it.
std::string caseFoldingNote(const std::string& fileName);
