#include "logfile/cabrillo_reader.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "logfile/band_plan.h"
#include "logfile/qso_time.h"
#include "logfile/text.h"

namespace {

struct ModeName {
    const char* cabrillo;
    const char* host;
};
const ModeName kModes[] = {{"CW", "CW"}, {"PH", "SSB"}, {"RY", "RTTY"}, {"DG", "DIGI"}, {"FM", "FM"}};

std::string hostMode(const std::string& cabrilloMode)
{
    for (const ModeName& mode : kModes)
        if (cabrilloMode == mode.cabrillo)
            return mode.host;
    throw QsoLineError({MessageId::NotACabrilloMode, {cabrilloMode}});
}

uint32_t kilohertz(std::string_view field)
{
    if (!allDigits(field) || field.size() > 7)
        throw QsoLineError({MessageId::FrequencyNotKilohertz, {std::string(field)}});
    uint32_t value = 0;
    for (char digit : field)
        value = value * 10 + static_cast<uint32_t>(digit - '0');
    // From 50 MHz up Cabrillo may give the band in megahertz instead.
    static const uint32_t kMegahertzBands[] = {50, 70, 144, 222, 432, 902};
    if (std::find(std::begin(kMegahertzBands), std::end(kMegahertzBands), value) != std::end(kMegahertzBands))
        return value * 1000;
    return value;
}

// A word after the received exchange: multi-transmitter logs number their
// transmitters there.
const std::size_t kTransmitterField = 10;

// The words of a QSO line, as views of it: a log has a million lines.  All
// are counted; those past the most a QSO line has are not kept.
struct QsoWords {
    std::array<std::string_view, kTransmitterField + 1> words;
    std::size_t count = 0;

    explicit QsoWords(std::string_view text)
    {
        const auto isBreak = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        std::size_t at = 0;
        while (at < text.size()) {
            while (at < text.size() && isBreak(text[at]))
                ++at;
            const std::size_t start = at;
            while (at < text.size() && !isBreak(text[at]))
                ++at;
            if (at > start && count++ < words.size())
                words[count - 1] = std::string_view(text.data() + start, at - start);
        }
    }
    std::string_view operator[](std::size_t i) const { return words[i]; }
};

LoggedQso qsoFromLine(const QsoWords& words, int line, CaseFolder& fold)
{
    if (words.count < 9 || words.count > 11)
        throw QsoLineError({MessageId::QsoLineFields, {std::to_string(words.count)}});
    LoggedQso qso;
    qso.line = line;
    const uint32_t khz = kilohertz(words[0]);
    qso.band = bandLabelForKilohertz(khz);
    if (qso.band.empty())
        throw QsoLineError({MessageId::FrequencyInNoBand, {std::string(words[0])}});
    qso.frequencyHz = khz * 1000;
    qso.mode = hostMode(fold(words[1]));
    qso.time = qsoTimeFromCabrillo(std::string(words[2]), std::string(words[3]));
    qso.ownCallsign = fold(words[4]);
    qso.rstSent = words[5];
    qso.exchangeSent = words[6];
    qso.workedCallsign = fold(words[7]);
    qso.rstReceived = words[8];
    if (words.count > 9)
        qso.exchangeReceived = words[9];
    return qso;
}

}  // namespace

ContestLog readCabrilloLog(std::string_view text, const std::string& fileName)
{
    ContestLog log;
    CaseFolder fold;
    bool ended = false;
    int transmitterLines = 0, firstTransmitterLine = 0;
    // Nearly every line of a big log is a QSO line, and one of nine words
    // is seldom shorter than this: room for them all at once, and for no
    // more than a few times the file's size whatever it holds.
    constexpr std::size_t kShortQsoLine = 40;
    log.qsos.reserve(text.size() / kShortQsoLine + 1);
    std::size_t next = 0;
    for (int line = 1; next < text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', next), text.size());
        const std::string_view content = trimmedView(text.substr(next, end - next));
        next = end + 1;
        if (content.empty())
            continue;
        const auto colon = content.find(':');
        const auto skip = [&](Message reason) { log.skipped.push_back({fileName, line, std::move(reason)}); };
        if (colon == std::string::npos) {
            skip({MessageId::NotACabrilloLine});
            continue;
        }
        if (ended) {
            skip({MessageId::AfterEndOfLog});
            continue;
        }
        const std::string_view tagAsWritten = trimmedView(content.substr(0, colon));
        const std::string_view value = trimmedView(content.substr(colon + 1));
        // Nearly every line is a QSO line, told without a copy of its tag.
        const bool qsoLine = tagAsWritten.size() == 3 && (tagAsWritten[0] | 0x20) == 'q' &&
                             (tagAsWritten[1] | 0x20) == 's' && (tagAsWritten[2] | 0x20) == 'o';
        const std::string tag = qsoLine ? std::string() : upperCase(std::string(tagAsWritten));
        if (qsoLine) {
            try {
                const QsoWords words(value);
                log.qsos.push_back(qsoFromLine(words, line, fold));
                if (words.count > kTransmitterField && transmitterLines++ == 0)
                    firstTransmitterLine = line;
            } catch (const QsoLineError& error) {
                skip(error.message());
            }
        } else if (tag == "X-QSO") {
            ++log.excludedQsos;
        } else if (tag == "END-OF-LOG") {
            ended = true;
        } else {
            if (tag == "CALLSIGN")
                log.ownCallsign = fold(std::string(value));
            log.header.push_back({tag, std::string(value)});
        }
    }
    if (fold.folded())
        log.notes.push_back(caseFoldingNote(fileName));
    if (transmitterLines > 0)
        log.notes.push_back(fileName + ": a transmitter number after the received exchange in " +
                            counted(transmitterLines, "QSO line") + " (the first on line " +
                            std::to_string(firstTransmitterLine) + "): ignored, the contest has no use for it");
    if (log.ownCallsign.empty() && !log.qsos.empty())
        log.ownCallsign = log.qsos.front().ownCallsign;
    return log;
}
