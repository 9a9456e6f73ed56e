// What the robot needs of the checker: the pre-check of one uploaded log and
// the organiser's cross-check of them all.  robot/checker_adapter.cpp is the
// only file that calls the checker; everything else sees these types.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "messages/language.h"

// Why an upload is refused outright; anything else is accepted, with its
// header problems and rejected lines listed.  Kept in the database by
// number: new reasons go at the end.
enum class Refusal {
    None,
    NotALog,           // neither Cabrillo nor ADIF: empty, binary, some other text
    NoCallsign,        // a log, but nobody to credit it to
    OtherContest,      // a log of another contest
    BadCallsign,       // its callsign is not letters, digits and / (the reports are named by it)
    CallsignMismatch,  // CALLSIGN: says one call, most QSO lines another
    NoReadableQso,     // no QSO line at all, or none that could be read
    NoQsoInPeriod,     // QSOs, but none in the contest period
};

// The longest callsign taken; real ones are far shorter.
inline constexpr std::size_t kLongestCallsign = 20;

// A text of the checker's in both languages, kept with the upload so that
// its page reads in either.  A pre-check kept before it had Russian has
// none: the English stands in.
struct BothLanguages {
    std::string english;
    std::string russian;

    const std::string& in(Language language) const
    {
        return language == Language::Russian && !russian.empty() ? russian : english;
    }
};

struct RejectedLine {
    int line = 0;          // 1-based, in the uploaded file
    std::string text;      // the line as the participant wrote it
    BothLanguages reason;  // the rules' words as err.txt has them, or the reader's
};

struct Precheck {
    Refusal refusal = Refusal::None;
    BothLanguages refusalDetail;  // the reader's own words, for NotALog
    std::string callsign;       // upper case; empty when the log names none
    std::string qsoCallsign;    // CallsignMismatch: the own call most QSO lines give
    std::string qsoDates;       // NoQsoInPeriod: "2024-12-21" or "2024-12-21 ... 2024-12-22"
    std::string contestPeriod;  // NoQsoInPeriod: "2025-12-20 20:00 ... 2025-12-20 22:00"
    std::string category;       // the header's categories, one line
    int qsoLines = 0;
    std::optional<long long> claimedScore;  // absent when the log claims none
    long long computedScore = 0;
    std::vector<BothLanguages> headerProblems;
    std::vector<RejectedLine> rejectedLines;
    std::string resultsText;                   // the plug-in's results text for this log
    std::string errorLines;                    // err.txt as the plug-in would write it
    std::vector<std::string> workedCallsigns;  // distinct, upper case

    bool accepted() const { return refusal == Refusal::None; }
};

struct LogToCheck {
    std::string fileName;  // shown in the reports only
    std::string bytes;
};

// The contest's rules and country file, loaded once and shared by every
// request: const calls may run on many threads at once.
class LogChecker {
public:
    // `countryFile` is a cty.dat; `contestIni` the checker's contest.ini, or
    // empty for its defaults.  Throws std::runtime_error naming what could
    // not be read.
    LogChecker(const std::string& countryFile, const std::string& contestIni);
    ~LogChecker();

    // The pre-check of one upload.  `fileName` is only shown in messages; the
    // bytes are never written anywhere by this call.  Never throws for what
    // the bytes hold: what is not a log comes back refused.
    Precheck precheck(const std::string& bytes, const std::string& fileName) const;

    // The checker's full run over `logs`, writing results.html, the csv files
    // and a report per participant into `outDir`.  Throws std::exception
    // saying what went wrong.
    void crossCheck(const std::vector<LogToCheck>& logs, const std::string& outDir) const;

private:
    struct Rules;
    std::unique_ptr<Rules> rules_;
};
