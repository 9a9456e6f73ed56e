// A simulated contest whose truth is known: stations, the QSOs they really
// made, and the logs they wrote down with the mistakes operators make.  For
// every QSO line written it records the status a perfect cross-check would
// give, or that the logs cannot decide it.
//
// The error model, per side of a QSO unless said otherwise:
//  - a station may send no log (big stations and casual ones alike);
//  - the QSO may go unlogged on one side;
//  - the call is miscopied: one character changed, dropped or added;
//  - the exchange is miscopied: one digit changed;
//  - the same QSO is entered twice, or the pair really works again later on
//    the same band and mode (both are duplicates);
//  - a station's clock is off by a few minutes or by whole hours, and each
//    side writes the minute it finished (true minute or one later);
//  - QSOs on a band or in a mode the contest does not count (both sides), and
//    QSOs made just before the start or after the end (both sides);
//  - a pair's test QSO minutes before the start, then their real one;
//  - what the files themselves get wrong: lines ended by CR alone or by
//    all three line ends mixed, a CALLSIGN: line one character off, a log
//    sent twice (an older, shorter file beside it);
//  - logs of one or two QSOs whose clock is off by whole hours.
#pragma once

#include <cstdint>
#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "contest/ole_date.h"

struct SimSettings {
    int stations = 300;
    uint32_t seed = 1;
    int qsosPerLog = 100;  // what a station that sends its log makes, on average
    CivilTime start{2025, 12, 20, 20, 0, 0};
    int periodMinutes = 6 * 60;
    int toleranceMinutes = 5;  // what contest.ini tells the checker

    double logSenders = 0.85;   // share of stations that send a log (exact count)
    double casualShare = 0.5;   // of those that send none, the ones who made a QSO or so
    double unloggedSide = 0.02;
    double miscopiedCall = 0.02;
    double miscopiedExchange = 0.02;
    double enteredTwice = 0.005;
    double workedAgain = 0.005;    // of QSOs, repeated later on the same band and mode
    double offBand = 0.005;        // of QSOs, extra ones on 20 m or in RTTY
    double outOfPeriod = 0.005;    // of QSOs, extra ones just outside the period
    double clockOffByMinutes = 0.2;
    double clockOffByHours = 0.1;
    double testBeforeStart = 0.001;  // of QSOs, the pair's test QSO 2-15 minutes before the start
    // Logs, each a different one, with: lines ended by CR alone; by CR LF,
    // LF and CR in turn; a CALLSIGN: line one character off; an older file
    // sent beside (the first half of the lines); one or two QSOs and a clock
    // off by whole hours.
    int crLogs = 6, mixedLineEndLogs = 6, wrongHeaderCalls = 3, olderLogs = 3, smallLogs = 6;
};

// One QSO line as its station wrote it, in file order.
struct SimLine {
    int qso = 0;      // the true QSO it records
    int partner = 0;  // the station really worked
    int minute = 0;   // as logged, from the start of the period
    int fileLine = 0;
    std::string workedCall;
    std::string exchangeReceived;
};

enum class SimLineEnds { CrLf, Cr, Mixed };

struct SimStation {
    std::string callsign;
    std::string headerCall;  // its CALLSIGN: line: the callsign, unless mistyped
    std::string exchange;  // what it sends in every QSO
    bool sendsLog = true;
    int clockOffsetMinutes = 0;  // how far its clock runs ahead of true time
    std::vector<SimLine> lines;  // empty unless it sends a log
    SimLineEnds lineEnds = SimLineEnds::CrLf;
    bool sendsOlderLog = false;  // also <call in lower case>_old.log, the first half of its lines
};

enum class SimQsoKind { Counted, OffBand, OutOfPeriod };

struct SimQso {
    int station[2] = {0, 0};
    int slot = 0;  // into the band-and-mode slots of the simulator
    int frequencyKhz = 0;
    int minute = 0;  // true time, from the start of the period
    SimQsoKind kind = SimQsoKind::Counted;
    bool clean = false;  // written by both sides without a mistake
};

// What a perfect check says about one written line.  `status` uses the
// checker's names (OK, NIL, BUSTED_CALL, ...).  An undecidable line keeps the
// status it really has, and `why` says what the logs lack.
struct TruthRow {
    std::string log;
    int line = 0;
    std::string status;
    std::string correctCall;      // BUSTED_CALL only
    std::string correctExchange;  // BUSTED_EXCH only
    bool decidable = true;
    std::string why;
};

struct SimContest {
    SimSettings settings;
    std::vector<SimStation> stations;
    std::vector<SimQso> qsos;
    std::vector<TruthRow> truth;  // one per written line: by station, then line
};

// Deterministic for given settings (same seed, same contest).
SimContest simulateContest(const SimSettings& settings);

// The Cabrillo 3.0 file of a station that sends its log, with its first
// `qsoLines` lines (all by default), its line ends as the station has them.
std::string cabrilloLog(const SimContest& contest, const SimStation& station, std::size_t qsoLines = SIZE_MAX);

// truth.csv: log,line,status,correct_call,correct_exch,decidable,why.
std::string truthCsv(const SimContest& contest);

// contest.ini for the checker: the period and the tolerance.
std::string contestIni(const SimContest& contest);

// Writes DIR/logs/<CALL>.log for every log sent (and the older files sent
// beside some), DIR/truth.csv and
// DIR/contest.ini, creating DIR.  Throws std::runtime_error naming a file
// that could not be written.
void writeContest(const SimContest& contest, const std::filesystem::path& dir);

// A callsign as an operator may miscopy it: one character changed (a letter
// for a letter, a digit for a digit), dropped or added.  Never the call
// itself; never shorter than three characters.
std::string miscopiedCall(const std::string& call, std::mt19937& random);
