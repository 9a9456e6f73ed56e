#include "adif_reader.h"

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>

#include "band_plan.h"
#include "qso_time.h"
#include "text.h"

namespace {

using Fields = std::map<std::string, std::string>;

const char kNotClosed[] = "record not closed by <EOR>";

// Walks the data specifiers <NAME:LENGTH[:TYPE]>DATA, <EOH> and <EOR>,
// keeping count of lines so every record can be found again in the file.
class AdifScanner {
public:
    enum class Token { Field, EndOfHeader, EndOfRecord, End };

    explicit AdifScanner(std::string text) : text_(std::move(text)) {}

    // The next token; fills name and data for a field.  Throws QsoLineError
    // for a specifier that cannot be read; scanning then goes on after it.
    Token next(std::string& name, std::string& data)
    {
        const auto open = text_.find('<', at_);
        if (open == std::string::npos) {
            advanceTo(text_.size());
            return Token::End;
        }
        advanceTo(open);
        tokenLine_ = line_;
        const auto close = text_.find('>', open);
        if (close == std::string::npos) {
            advanceTo(text_.size());
            throw QsoLineError("data specifier \"" + text_.substr(open, 20) + "\" has no closing '>'");
        }
        const std::string specifier = text_.substr(open + 1, close - open - 1);
        advanceTo(close + 1);
        const std::string upper = upperCase(specifier);
        if (upper == "EOH")
            return Token::EndOfHeader;
        if (upper == "EOR")
            return Token::EndOfRecord;
        const auto colon = specifier.find(':');
        if (colon == std::string::npos)
            throw QsoLineError("data specifier <" + specifier + "> has no length");
        const auto typeColon = specifier.find(':', colon + 1);
        const std::string length =
            specifier.substr(colon + 1, typeColon == std::string::npos ? std::string::npos : typeColon - colon - 1);
        if (!allDigits(length) || length.size() > 6)
            throw QsoLineError("data specifier <" + specifier + "> has no valid length");
        const auto size = std::stoul(length);
        if (at_ + size > text_.size()) {
            advanceTo(text_.size());
            throw QsoLineError("field <" + specifier + "> runs past the end of the file");
        }
        name = upperCase(specifier.substr(0, colon));
        data = text_.substr(at_, size);
        advanceTo(at_ + size);
        return Token::Field;
    }

    int tokenLine() const { return tokenLine_; }

private:
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
};

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

uint32_t hertzFromMegahertz(const std::string& text)
{
    char* end = nullptr;
    const double megahertz = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(megahertz > 0.0) || megahertz >= 4294.0)
        throw QsoLineError("FREQ \"" + text + "\" is not a frequency in MHz");
    return static_cast<uint32_t>(std::llround(megahertz * 1e6));
}

std::string hostMode(std::string mode)
{
    mode = upperCase(mode);
    if (mode.empty())
        throw QsoLineError("record has no MODE");
    return mode == "USB" || mode == "LSB" ? "SSB" : mode;
}

LoggedQso qsoFromRecord(const Fields& fields, int line)
{
    LoggedQso qso;
    qso.line = line;
    qso.workedCallsign = field(fields, "CALL");
    if (qso.workedCallsign.empty())
        throw QsoLineError("record has no CALL");
    const std::string freq = field(fields, "FREQ");
    if (!freq.empty())
        qso.frequencyHz = hertzFromMegahertz(freq);
    std::string band = field(fields, "BAND");
    for (char& c : band)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    qso.band = band.empty() ? bandLabelForKilohertz(qso.frequencyHz / 1000) : band;
    if (qso.band.empty())
        throw QsoLineError(freq.empty() ? "record has neither BAND nor FREQ"
                                        : "FREQ " + freq + " MHz lies in no amateur band");
    qso.mode = hostMode(field(fields, "MODE"));
    qso.time = qsoTimeFromAdif(field(fields, "QSO_DATE"), field(fields, "TIME_ON"));
    qso.ownCallsign = firstPresent(fields, "STATION_CALLSIGN", "OPERATOR");
    qso.rstSent = field(fields, "RST_SENT");
    qso.rstReceived = field(fields, "RST_RCVD");
    qso.exchangeSent = firstPresent(fields, "STX_STRING", "STX");
    qso.exchangeReceived = firstPresent(fields, "SRX_STRING", "SRX");
    return qso;
}

std::string readAll(std::istream& in)
{
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ContestLog readAdifLog(std::istream& in, const std::string& fileName)
{
    ContestLog log;
    AdifScanner scanner(readAll(in));
    Fields fields;
    int recordLine = 0;
    std::string fault;  // why the record being read cannot be replayed
    auto startAfresh = [&] {
        fields.clear();
        recordLine = 0;
        fault.clear();
    };
    for (;;) {
        std::string name, data;
        AdifScanner::Token token;
        try {
            token = scanner.next(name, data);
        } catch (const QsoLineError& error) {
            if (fault.empty())
                fault = error.what();
            if (recordLine == 0)
                recordLine = scanner.tokenLine();
            continue;
        }
        if (token == AdifScanner::Token::Field) {
            // A field seen twice means the record before it lost its <EOR>.
            if (fields.count(name) != 0) {
                log.skipped.push_back({fileName, recordLine, fault.empty() ? kNotClosed : fault});
                startAfresh();
            }
            if (recordLine == 0)
                recordLine = scanner.tokenLine();
            fields[name] = data;
        } else if (token == AdifScanner::Token::EndOfHeader) {
            startAfresh();
        } else if (token == AdifScanner::Token::EndOfRecord) {
            try {
                if (!fault.empty())
                    throw QsoLineError(fault);
                log.qsos.push_back(qsoFromRecord(fields, recordLine ? recordLine : scanner.tokenLine()));
            } catch (const QsoLineError& error) {
                log.skipped.push_back({fileName, recordLine ? recordLine : scanner.tokenLine(), error.what()});
            }
            startAfresh();
        } else {
            if (recordLine != 0)
                log.skipped.push_back({fileName, recordLine, fault.empty() ? kNotClosed : fault});
            break;
        }
    }
    if (!log.qsos.empty())
        log.ownCallsign = log.qsos.front().ownCallsign;
    return log;
}
