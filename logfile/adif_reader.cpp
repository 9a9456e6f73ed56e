#include "logfile/adif_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <optional>

#include "logfile/band_plan.h"
#include "logfile/qso_time.h"
#include "logfile/text.h"

namespace {

struct Specifier {
    std::string name;  // upper case
    std::size_t length = 0;
    bool isField = false;  // else <EOH> or <EOR>
    std::size_t end = 0;   // just past the '>'
};

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The data specifier that begins at `open` (a '<'), if one does.
std::optional<Specifier> specifierAt(const std::string& text, std::size_t open)
{
    std::size_t at = open + 1;
    while (at < text.size() && isNameCharacter(text[at]))
        ++at;
    if (at == open + 1 || at >= text.size())
        return std::nullopt;
    Specifier specifier;
    specifier.name = upperCase(text.substr(open + 1, at - open - 1));
    if (text[at] == '>') {
        if (specifier.name != "EOH" && specifier.name != "EOR")
            return std::nullopt;
        specifier.end = at + 1;
        return specifier;
    }
    if (text[at] != ':')
        return std::nullopt;
    const std::size_t digits = ++at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
        ++at;
    if (at == digits || at - digits > 9)
        return std::nullopt;
    specifier.length = std::stoul(text.substr(digits, at - digits));
    if (at < text.size() && text[at] == ':' && at + 1 < text.size() &&
        std::isalpha(static_cast<unsigned char>(text[at + 1])))
        at += 2;  // the type indicator, which changes nothing here
    if (at >= text.size() || text[at] != '>')
        return std::nullopt;
    specifier.isField = true;
    specifier.end = at + 1;
    return specifier;
}

// Walks the data specifiers, keeping count of lines so every record can be
// found again in the file.
class AdifScanner {
public:
    enum class Token { Field, EndOfHeader, EndOfRecord, End };

    explicit AdifScanner(std::string text) : text_(std::move(text)) {}

    // The next token; fills name and data for a field.  Throws QsoLineError
    // for a field whose data runs past the end of the file, which ends the
    // scan.
    Token next(std::string& name, std::string& data)
    {
        for (auto open = text_.find('<', at_); open != std::string::npos; open = text_.find('<', open + 1)) {
            const std::optional<Specifier> specifier = specifierAt(text_, open);
            if (!specifier)
                continue;
            advanceTo(open);
            tokenLine_ = line_;
            if (!specifier->isField) {
                advanceTo(specifier->end);
                return specifier->name == "EOH" ? Token::EndOfHeader : Token::EndOfRecord;
            }
            if (specifier->length > text_.size() - specifier->end) {
                advanceTo(text_.size());
                throw QsoLineError({MessageId::FieldPastEndOfFile, {text_.substr(open, specifier->end - open)}});
            }
            name = specifier->name;
            data = text_.substr(specifier->end, specifier->length);
            overrun_.reset();
            const std::size_t swallowed = swallowedSpecifier(specifier->end, specifier->length);
            if (swallowed != std::string::npos) {
                overrun_ = Message{MessageId::FieldPastItsValue,
                                   {text_.substr(open, specifier->end - open),
                                    trimmed(text_.substr(specifier->end, swallowed - specifier->end))}};
                advanceTo(swallowed);
                return Token::Field;
            }
            advanceTo(specifier->end + specifier->length);
            return Token::Field;
        }
        advanceTo(text_.size());
        return Token::End;
    }

    int tokenLine() const { return tokenLine_; }

    // Set when the last field's length ran on into a data specifier that
    // follows its value: what to say of that field.  The scan goes on at
    // that specifier, so the records after it are read as written.
    const std::optional<Message>& overrun() const { return overrun_; }

private:
    // Where a data specifier begins inside `length` bytes of data at `at`,
    // or npos.  Data may hold a '<', but a whole specifier in it means the
    // length counted past the value.
    std::size_t swallowedSpecifier(std::size_t at, std::size_t length) const
    {
        for (auto open = text_.find('<', at); open != std::string::npos && open < at + length;
             open = text_.find('<', open + 1))
            if (specifierAt(text_, open))
                return open;
        return std::string::npos;
    }

    void advanceTo(std::string::size_type to)
    {
        for (; at_ < to; ++at_)
            if (text_[at_] == '\n')
                ++line_;
    }

    std::string text_;
    std::string::size_type at_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
    std::optional<Message> overrun_;
};

using Fields = std::map<std::string, std::string>;

std::string field(const Fields& fields, const char* name)
{
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : trimmed(found->second);
}

std::string firstPresent(const Fields& fields, const char* name, const char* fallback)
{
    const std::string value = field(fields, name);
    return value.empty() ? field(fields, fallback) : value;
}

double number(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0')
        throw QsoLineError({MessageId::FreqNotANumber, {text}});
    return value;
}

// "3,527" as loggers on systems with a decimal comma write it.
bool hasDecimalComma(const std::string& text)
{
    return std::count(text.begin(), text.end(), ',') == 1 && text.find('.') == std::string::npos;
}

// Turns records into QSOs, and keeps what is to be said once for the file.
class RecordReader {
public:
    LoggedQso qso(const Fields& fields, int line)
    {
        LoggedQso qso;
        qso.line = line;
        qso.workedCallsign = fold_(field(fields, "CALL"));
        if (qso.workedCallsign.empty())
            throw QsoLineError({MessageId::RecordWithoutCall});
        const AmateurBand& band = readBand(field(fields, "BAND"), field(fields, "FREQ"), qso.frequencyHz, line);
        qso.band = band.label;
        qso.mode = hostMode(field(fields, "MODE"));
        qso.time = qsoTimeFromAdif(field(fields, "QSO_DATE"), field(fields, "TIME_ON"));
        qso.ownCallsign = fold_(firstPresent(fields, "STATION_CALLSIGN", "OPERATOR"));
        qso.rstSent = field(fields, "RST_SENT");
        qso.rstReceived = field(fields, "RST_RCVD");
        qso.exchangeSent = firstPresent(fields, "STX_STRING", "STX");
        qso.exchangeReceived = firstPresent(fields, "SRX_STRING", "SRX");
        return qso;
    }

    void addNotes(ContestLog& log, const std::string& fileName) const
    {
        if (fold_.folded())
            log.notes.push_back(caseFoldingNote(fileName));
        if (kilohertzQsos_ > 0)
            log.notes.push_back(fileName + ": FREQ plainly in kHz, not MHz, in " + counted(kilohertzQsos_, "QSO") +
                                " (the first on line " + std::to_string(firstKilohertzLine_) + "): read as kHz");
        if (commaQsos_ > 0)
            log.notes.push_back(fileName + ": FREQ with a decimal comma in " + counted(commaQsos_, "QSO") +
                                " (the first on line " + std::to_string(firstCommaLine_) +
                                "): read as a decimal point");
        if (bandOnlyQsos_ > 0)
            log.notes.push_back(fileName + ": BAND without FREQ in " + counted(bandOnlyQsos_, "QSO") +
                                ": replayed on the band's designator frequency (3500 kHz for 80m)");
    }

private:
    // The record's band, and its frequency in hertz.
    const AmateurBand& readBand(const std::string& bandText, const std::string& freq, uint32_t& hertz, int line)
    {
        const AmateurBand* band = bandText.empty() ? nullptr : bandLabelled(bandText);
        if (!bandText.empty() && !band)
            throw QsoLineError({MessageId::BandNotAmateur, {bandText}});
        if (freq.empty()) {
            if (!band)
                throw QsoLineError({MessageId::RecordWithoutBandOrFreq});
            ++bandOnlyQsos_;
            hertz = band->designatorKhz() * 1000;
            return *band;
        }
        std::string decimal = freq;
        if (hasDecimalComma(freq)) {
            decimal[freq.find(',')] = '.';
            if (commaQsos_++ == 0)
                firstCommaLine_ = line;
        }
        const double value = number(decimal);
        const auto bandOf = [band](double kilohertz) { return !band || band->holds(kilohertz) ? bandHolding(kilohertz) : nullptr; };
        if (const AmateurBand* inMegahertz = bandOf(value * 1000.0)) {
            hertz = static_cast<uint32_t>(std::llround(value * 1e6));
            return *inMegahertz;
        }
        if (const AmateurBand* inKilohertz = bandOf(value)) {
            if (kilohertzQsos_++ == 0)
                firstKilohertzLine_ = line;
            hertz = static_cast<uint32_t>(std::llround(value * 1e3));
            return *inKilohertz;
        }
        throw QsoLineError(band ? Message{MessageId::FreqOutsideBand, {freq, bandText}}
                                : Message{MessageId::FreqInNoBand, {freq}});
    }

    std::string hostMode(const std::string& text)
    {
        const std::string mode = fold_(text);
        if (mode.empty())
            throw QsoLineError({MessageId::RecordWithoutMode});
        return mode == "USB" || mode == "LSB" ? "SSB" : mode;
    }

    CaseFolder fold_;
    int kilohertzQsos_ = 0;
    int firstKilohertzLine_ = 0;
    int bandOnlyQsos_ = 0;
    int commaQsos_ = 0;
    int firstCommaLine_ = 0;
};

std::string readAll(std::istream& in)
{
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ContestLog readAdifLog(std::istream& in, const std::string& fileName)
{
    ContestLog log;
    AdifScanner scanner(readAll(in));
    RecordReader reader;
    Fields fields;
    int recordLine = 0;   // of the record's first field
    std::optional<Message> overrun;  // of the record's first field whose length is wrong
    auto skip = [&](Message reason) {
        log.skipped.push_back({fileName, recordLine ? recordLine : scanner.tokenLine(), std::move(reason)});
    };
    // `unclosed`: what to add to the reason when the record has no <EOR>.
    auto readRecord = [&](const std::vector<Message>& unclosed) {
        std::optional<Message> reason = overrun;
        if (!reason) {
            try {
                log.qsos.push_back(reader.qso(fields, recordLine ? recordLine : scanner.tokenLine()));
                return;
            } catch (const QsoLineError& error) {
                reason = error.message();
            }
        }
        reason->then.insert(reason->then.end(), unclosed.begin(), unclosed.end());
        skip(std::move(*reason));
    };
    for (;;) {
        std::string name, data;
        AdifScanner::Token token;
        try {
            token = scanner.next(name, data);
        } catch (const QsoLineError& error) {
            skip(error.message());
            break;
        }
        if (token == AdifScanner::Token::Field) {
            if (recordLine == 0)
                recordLine = scanner.tokenLine();
            if (!overrun)
                overrun = scanner.overrun();
            if (!fields.emplace(name, data).second) {
                fields[name] = data;
                log.warnings.push_back({fileName, scanner.tokenLine(),
                                        name == "CALL" ? Message{MessageId::CallTwice}
                                                       : Message{MessageId::FieldTwice, {name}}});
            }
            continue;
        }
        if (token == AdifScanner::Token::EndOfRecord) {
            readRecord({});
        } else if (token == AdifScanner::Token::End) {
            // A logger cut off while writing, or one that leaves out the
            // last <EOR>: what the record holds is still the QSO.
            if (recordLine != 0) {
                const std::size_t read = log.qsos.size();
                readRecord({{MessageId::LastRecordUnclosed}});
                if (log.qsos.size() > read)
                    log.warnings.push_back({fileName, recordLine, {MessageId::LastRecordReadAsItIs}});
            }
            break;
        }
        fields.clear();
        recordLine = 0;
        overrun.reset();
    }
    reader.addNotes(log, fileName);
    if (!log.qsos.empty())
        log.ownCallsign = log.qsos.front().ownCallsign;
    return log;
}
