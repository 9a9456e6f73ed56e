#include "logfile/cabrillo_reader.h"

#include <algorithm>
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

uint32_t kilohertz(const std::string& field)
{
    if (!allDigits(field) || field.size() > 7)
        throw QsoLineError({MessageId::FrequencyNotKilohertz, {field}});
    const auto value = static_cast<uint32_t>(std::stoul(field));
    // From 50 MHz up Cabrillo may give the band in megahertz instead.
    static const uint32_t kMegahertzBands[] = {50, 70, 144, 222, 432, 902};
    if (std::find(std::begin(kMegahertzBands), std::end(kMegahertzBands), value) != std::end(kMegahertzBands))
        return value * 1000;
    return value;
}

// A word after the received exchange: multi-transmitter logs number their
// transmitters there.
const std::size_t kTransmitterField = 10;

LoggedQso qsoFromLine(std::vector<std::string>& words, int line, CaseFolder& fold)
{
    if (words.size() < 9 || words.size() > 11)
        throw QsoLineError({MessageId::QsoLineFields, {std::to_string(words.size())}});
    LoggedQso qso;
    qso.line = line;
    const uint32_t khz = kilohertz(words[0]);
    qso.band = bandLabelForKilohertz(khz);
    if (qso.band.empty())
        throw QsoLineError({MessageId::FrequencyInNoBand, {words[0]}});
    qso.frequencyHz = khz * 1000;
    qso.mode = hostMode(fold(words[1]));
    qso.time = qsoTimeFromCabrillo(words[2], words[3]);
    qso.ownCallsign = fold(std::move(words[4]));
    qso.rstSent = std::move(words[5]);
    qso.exchangeSent = std::move(words[6]);
    qso.workedCallsign = fold(std::move(words[7]));
    qso.rstReceived = std::move(words[8]);
    if (words.size() > 9)
        qso.exchangeReceived = std::move(words[9]);
    return qso;
}

}  // namespace

ContestLog readCabrilloLog(std::istream& in, const std::string& fileName)
{
    ContestLog log;
    CaseFolder fold;
    bool ended = false;
    int transmitterLines = 0, firstTransmitterLine = 0;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        const std::string_view content = trimmedView(text);
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
        const std::string tag = upperCase(std::string(trimmedView(content.substr(0, colon))));
        const std::string_view value = trimmedView(content.substr(colon + 1));
        if (tag == "QSO") {
            try {
                auto words = splitOnBlanks(value);
                const std::size_t wordCount = words.size();
                log.qsos.push_back(qsoFromLine(words, line, fold));
                if (wordCount > kTransmitterField && transmitterLines++ == 0)
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
