#include "rules/acceptance.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

// As views, whose lengths are known: every QSO of a replayed log is held
// against each of them.
constexpr std::string_view kRejectedBands[] = {"160m", "20m", "15m", "10m", "30m", "17m", "12m"};

bool isContestBand(std::string_view band)
{
    return std::none_of(std::begin(kRejectedBands), std::end(kRejectedBands),
                        [&](std::string_view rejected) { return band == rejected; });
}

bool isContestMode(std::string_view mode) { return mode == "CW" || mode == "SSB"; }

int32_t kilohertz(uint32_t hertz) { return static_cast<int32_t>(hertz / 1000); }

// Prefixes the host reports for Sicily, filed under Italy.
std::string storedCountryPrefix(const std::string& prefix)
{
    return prefix == "IT9" || prefix == "IG9" ? "I" : prefix;
}

// Band and mode point into `qso`, which outlives the append.
CInfo recordFor(const QsoFields& qso)
{
    const int32_t notYetADuplicate = 0;  // playQso marks it once it has asked the log
    return {qso.workedCallsign,
            storedCountryPrefix(qso.countryPrefix),
            qso.band,
            qso.mode,
            qso.rstReceived,
            qso.rstSent,
            qso.exchangeReceived,
            qso.exchangeSent,
            kilohertz(qso.frequencyHz),
            notYetADuplicate,
            qso.time};
}

}  // namespace

StationKey stationOf(const QsoFields& qso) { return {qso.workedCallsign, qso.band, qso.mode}; }

Rejection rejection(const QsoFields& qso)
{
    if (!isContestBand(qso.band))
        return Rejection::NoContestBand;
    if (!isContestMode(qso.mode))
        return Rejection::NoTestMode;
    if (qso.exchangeReceived.empty() || qso.exchangeSent.empty())
        return Rejection::NoRxNumber;
    return Rejection::None;
}

const char* rejectionWords(Rejection rejection)
{
    switch (rejection) {
    case Rejection::NoContestBand:
        return "NO CONTEST BAND";
    case Rejection::NoTestMode:
        return "NO TEST MODE";
    case Rejection::NoRxNumber:
        return "NO RX NUMBER";
    case Rejection::None:
        break;
    }
    return "";
}

std::string errorLogMessage(const QsoOutcome& outcome)
{
    if (!outcome.accepted())
        return std::string("   ") + rejectionWords(outcome.rejection) + " !!!";
    return outcome.duplicate() ? "   DUPE !!!" : "";
}

std::size_t errorLogLineCount(const QsoOutcome& outcome)
{
    return outcome.accepted() ? outcome.earlierMatches : 1;
}

std::string rejectLine(const QsoFields& qso, const char* message)
{
    const std::string fields[] = {
        std::to_string(kilohertz(qso.frequencyHz)), qso.mode, qso.time.format("%Y-%m-%d %H%M"),
        qso.ownCallsign, qso.rstSent, qso.exchangeSent,
        qso.workedCallsign, qso.rstReceived, qso.exchangeReceived,
    };
    std::string line = "QSO:  " + fields[0];
    for (std::size_t i = 1; i < std::size(fields); ++i)
        line += "  " + fields[i];
    return line + message;
}

QsoOutcome playQso(ContestState& state, const QsoFields& qso)
{
    QsoOutcome outcome;
    outcome.rejection = rejection(qso);
    if (!outcome.accepted())
        return outcome;
    CInfo record = recordFor(qso);
    std::lock_guard<std::mutex> guard(state.lock);
    noteBand(state.bands, qso.band);
    outcome.earlierMatches = static_cast<uint32_t>(state.log.countOf(stationOf(qso)));
    record.isDuplicate = outcome.duplicate() ? 1 : 0;
    state.log.append(std::move(record));
    return outcome;
}

int addQso(ContestState& state, const ErrorLog& errors, const QsoFields& qso)
{
    const QsoOutcome outcome = playQso(state, qso);
    std::vector<std::string> lines;
    if (const std::size_t count = errorLogLineCount(outcome))
        lines.assign(count, rejectLine(qso, errorLogMessage(outcome).c_str()));
    errors.append(lines);
    return outcome.accepted() ? 1 : 0;
}

int removeQso(ContestState& state, const QsoFields& qso)
{
    if (qso.exchangeReceived.empty() || qso.exchangeSent.empty())
        return 0;
    std::lock_guard<std::mutex> guard(state.lock);
    state.log.removeFirst(stationOf(qso), qso.time);
    return 1;
}
