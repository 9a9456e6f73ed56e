#include "logfile/log_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <tuple>
#include <vector>

#include "logfile/adif_reader.h"
#include "logfile/cabrillo_reader.h"
#include "logfile/text.h"

namespace {

enum class Utf16 { No, LittleEndian, BigEndian };

// By a byte order mark, or by the zero bytes ASCII text has every other
// byte in UTF-16.
Utf16 utf16Order(const std::string& bytes)
{
    if (bytes.size() < 2)
        return Utf16::No;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (byte(0) == 0xFF && byte(1) == 0xFE)
        return Utf16::LittleEndian;
    if (byte(0) == 0xFE && byte(1) == 0xFF)
        return Utf16::BigEndian;
    if (bytes.size() >= 4 && byte(0) != 0 && byte(1) == 0 && byte(2) != 0 && byte(3) == 0)
        return Utf16::LittleEndian;
    if (bytes.size() >= 4 && byte(0) == 0 && byte(1) != 0 && byte(2) == 0 && byte(3) != 0)
        return Utf16::BigEndian;
    return Utf16::No;
}

// One byte per UTF-16 unit: Latin-1 characters keep their code, others
// (which no callsign, band, mode or number holds) become '?'.  A surrogate
// pair is one character and one '?', so ADIF lengths counted in characters
// stay right.
std::string narrowedUtf16(const std::string& bytes, Utf16 order)
{
    std::string text;
    const std::size_t high = order == Utf16::BigEndian ? 0 : 1;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[at + high]) << 8 |
                              static_cast<unsigned char>(bytes[at + 1 - high]);
        if (unit == 0xFEFF || (unit >= 0xDC00 && unit < 0xE000))
            continue;  // the byte order mark; the second half of a pair
        text += unit <= 0xFF ? static_cast<char>(unit) : '?';
    }
    return text;
}

std::string withoutUtf8Mark(const std::string& bytes)
{
    return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
}

void appendUtf8(std::string& text, unsigned code)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Every character kept: a pair of surrogates is one character, a surrogate
// without its other half becomes U+FFFD.
std::string utf8FromUtf16(const std::string& bytes, Utf16 order)
{
    const std::size_t high = order == Utf16::BigEndian ? 0 : 1;
    const auto unitAt = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at + high]) << 8 |
                                     static_cast<unsigned char>(bytes[at + 1 - high]));
    };
    std::string text;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const unsigned unit = unitAt(at);
        if (at == 0 && unit == 0xFEFF)
            continue;
        if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < bytes.size() && unitAt(at + 2) >= 0xDC00 &&
            unitAt(at + 2) < 0xE000) {
            appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00));
            at += 2;
        } else {
            appendUtf8(text, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
        }
    }
    return text;
}

// Files edited on different systems end their lines in CR LF, LF or CR
// alone, mixed in one file: each CR not before an LF becomes an LF, so every
// reader sees one kind of line end and each character keeps its place.
std::string withLineFeedEnds(std::string text)
{
    for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1))
        if (at + 1 == text.size() || text[at + 1] != '\n')
            text[at] = '\n';
    return text;
}

std::string decodedText(const std::string& bytes, Utf16 order)
{
    return withLineFeedEnds(order == Utf16::No ? withoutUtf8Mark(bytes) : narrowedUtf16(bytes, order));
}

// Control characters but blanks (tab to CR) and the DOS end-of-file mark,
// counted without a branch, so that the compiler counts many bytes at once:
// a log may be hundreds of megabytes.
bool isBinary(const std::string& text)
{
    std::size_t controls = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        controls += static_cast<std::size_t>((byte < 0x20) & ((byte < '\t') | (byte > '\r')) & (byte != 0x1A));
    }
    return controls > 0 && controls * 100 >= text.size();
}

std::string_view firstNonBlankLine(std::string_view text)
{
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = trimmedView(text.substr(start, end - start));
        if (!line.empty())
            return line;
        start = end + 1;
    }
    return {};
}

enum class LogFormat { Cabrillo, Adif };

LogFormat formatOf(const std::string& text, const std::string& fileName)
{
    if (trimmedView(text).empty())
        throw LogFileError(fileName, {MessageId::NotALogEmpty});
    if (isBinary(text))
        throw LogFileError(fileName, {MessageId::NotALogBinary});
    if (isCabrilloText(text))
        return LogFormat::Cabrillo;
    const std::string upper = upperCase(text);
    if (upper.find("<EOH>") != std::string::npos || upper.find("<EOR>") != std::string::npos)
        return LogFormat::Adif;
    throw LogFileError(fileName, {MessageId::NotALogNoMarkers});
}

auto timeKey(const LoggedQso& qso)
{
    const CivilTime& t = qso.time;
    return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

void putInTimeOrder(ContestLog& log, const std::string& fileName)
{
    const auto earlier = [](const LoggedQso& a, const LoggedQso& b) { return timeKey(a) < timeKey(b); };
    if (std::is_sorted(log.qsos.begin(), log.qsos.end(), earlier))
        return;
    std::stable_sort(log.qsos.begin(), log.qsos.end(), earlier);
    log.notes.push_back(fileName + ": the QSOs were not in time order; they are replayed in time order");
}

// What of a QSO would shift the columns of its line in the Cabrillo file,
// which is read by splitting it at blanks.  An empty exchange would too, but
// Stats.dll rejects such a QSO, so it never reaches the file.
// Empty when nothing would shift.
std::vector<Message> columnTroubles(const LoggedQso& qso)
{
    struct Column {
        const std::string& text;
        MessageId holdsBlank;
        std::optional<MessageId> missing;  // for RST, which the rules do not demand
    };
    const Column columns[] = {
        {qso.rstSent, MessageId::RstSentHoldsBlank, MessageId::NoRstSent},
        {qso.exchangeSent, MessageId::ExchangeSentHoldsBlank, std::nullopt},
        {qso.rstReceived, MessageId::RstReceivedHoldsBlank, MessageId::NoRstReceived},
        {qso.exchangeReceived, MessageId::ExchangeReceivedHoldsBlank, std::nullopt},
    };
    std::vector<Message> troubles;
    for (const Column& column : columns) {
        if (std::any_of(column.text.begin(), column.text.end(), [](char c) { return c == ' ' || c == '\t'; }))
            troubles.push_back({column.holdsBlank, {column.text}});
        else if (column.text.empty() && column.missing)
            troubles.push_back({*column.missing});
    }
    return troubles;
}

void warnOfShiftedColumns(ContestLog& log, const std::string& fileName)
{
    for (const LoggedQso& qso : log.qsos) {
        std::vector<Message> troubles = columnTroubles(qso);
        if (troubles.empty())
            continue;
        Message warning = std::move(troubles.front());
        for (std::size_t i = 1; i < troubles.size(); ++i) {
            warning.then.push_back({MessageId::ListSeparator});
            warning.then.push_back(std::move(troubles[i]));
        }
        warning.then.push_back({MessageId::ColumnsWillShift});
        log.warnings.push_back({fileName, qso.line, std::move(warning)});
    }
}

}  // namespace

ContestLog readContestLog(const std::string& bytes, const std::string& fileName)
{
    const Utf16 order = utf16Order(bytes);
    const std::string text = decodedText(bytes, order);
    ContestLog log;
    if (formatOf(text, fileName) == LogFormat::Cabrillo) {
        log = readCabrilloLog(text, fileName);
    } else {
        std::istringstream content(text);
        log = readAdifLog(content, fileName);
    }
    if (order != Utf16::No)
        log.notes.insert(log.notes.begin(), fileName + ": read as UTF-16 text");
    putInTimeOrder(log, fileName);
    warnOfShiftedColumns(log, fileName);
    return log;
}

bool isCabrilloText(std::string_view text)
{
    return upperCase(std::string(firstNonBlankLine(text).substr(0, 13))) == "START-OF-LOG:";
}

std::string logFileText(const std::string& bytes)
{
    const Utf16 order = utf16Order(bytes);
    return withLineFeedEnds(order == Utf16::No ? withoutUtf8Mark(bytes) : utf8FromUtf16(bytes, order));
}

ContestLog readContestLogFile(const std::string& path)
{
    const std::filesystem::path filePath = std::filesystem::u8path(path);
    std::error_code error;
    const auto status = std::filesystem::status(filePath, error);
    if (status.type() == std::filesystem::file_type::not_found)
        throw LogFileError(path, {MessageId::NoSuchFile});
    if (status.type() == std::filesystem::file_type::directory)
        throw LogFileError(path, {MessageId::FolderNotLog});
    std::ifstream file(filePath, std::ios::binary);
    if (!file)
        throw LogFileError(path, {MessageId::FileUnreadable});
    return readContestLog(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), path);
}
