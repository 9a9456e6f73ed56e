#include "cabrillo/cabrillo_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "contest/state.h"
#include "contest/text.h"

namespace {

std::string formatted(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

bool isForbiddenInFileName(char c)
{
    return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr;
}

bool isAsciiDigitOrSuperscript(char c)
{
    // "¹", "²" and "³" in the Latin code page count as digits in COM¹ or LPT².
    return (c >= '0' && c <= '9') || c == '\xB9' || c == '\xB2' || c == '\xB3';
}

// The length of the device name that `name` begins with, or 0.  Windows opens
// a device whatever follows its name, once blanks are passed, as long as that
// is an extension or nothing: "CON.cbr", "COM1.log.cbr" and "AUX .x.cbr" are
// the devices CON, COM1 and AUX, not files.
std::size_t deviceNameLength(const std::string& name)
{
    std::size_t stem = name.find('.');
    if (stem == std::string::npos)
        stem = name.size();
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    std::string upper = name.substr(0, stem);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (upper == device)
            return stem;
    const bool numberedPort = upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
                              isAsciiDigitOrSuperscript(upper[3]);
    return numberedPort ? stem : 0;
}

// The soapbox is kept in the settings on one line, its line breaks as
// markers; the file wants one "SOAPBOX: " line per line of text.
std::string soapboxForEditing(const std::string& stored)
{
    return ReplaceAll(ReplaceAll(stored, "<CR>", "\r"), "<LF>", "\n");
}

std::string soapboxForStoring(const std::string& edited)
{
    return ReplaceAll(ReplaceAll(edited, "\r", "<CR>"), "\n", "<LF>");
}

std::string soapboxForFile(const std::string& stored)
{
    return ReplaceAll(ReplaceAll(stored, "<CR>", "\r\nSOAPBOX: "), "<LF>", "");
}

}  // namespace

std::string ReplaceAll(std::string text, const std::string& search, const std::string& replacement)
{
    if (search == replacement || search.empty())
        return text;
    std::string result;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(search, from)) != std::string::npos; from = at + search.size())
        result.append(text, from, at - from).append(replacement);
    return result.append(text, from, std::string::npos);
}

std::string cabrilloBaseName(const std::string& callsign)
{
    std::string name = trimmed(ReplaceAll(ReplaceAll(callsign, "/", "_"), "\\", "_"));
    for (char& c : name)
        if (isForbiddenInFileName(c))
            c = '_';
    if (const std::size_t device = deviceNameLength(name))
        name.insert(device, "_");
    return name.empty() ? "XOLT" : name;
}

std::string hostVersionText(uint32_t fileVersionMS, uint32_t fileVersionLS)
{
    const unsigned major = fileVersionMS >> 16, minor = fileVersionMS & 0xFFFF, third = fileVersionLS >> 16;
    return major == 2 ? formatted("%u.%u", major, minor) : formatted("%u.%u.%u", major, minor, third);
}

namespace {

// The header values kept in the settings file for the next run, in the
// order they are written.  Most are read back as they stand; the dialog
// opens with the contest, SINGLE-OP and CW whatever the file holds, and the
// operators default to the station's own call.
struct KeptHeaderValue {
    const char* key;
    std::string CabrilloHeader::*field;
    bool readAsItStands;
};
const KeptHeaderValue kKeptHeaderValues[] = {
    {"Band", &CabrilloHeader::categoryBand, true},
    {"Power", &CabrilloHeader::categoryPower, true},
    {"Operators", &CabrilloHeader::operators, false},
    {"Name", &CabrilloHeader::name, true},
    {"Address", &CabrilloHeader::address, true},
    {"Address-City", &CabrilloHeader::addressCity, true},
    {"Address-PostalCode", &CabrilloHeader::addressPostalCode, true},
    {"Address-Country", &CabrilloHeader::addressCountry, true},
    {"Category", &CabrilloHeader::categoryOperator, false},
    {"Contest", &CabrilloHeader::contest, false},
    {"Email", &CabrilloHeader::email, true},
    {"Club", &CabrilloHeader::club, true},
    {"SoapBox", &CabrilloHeader::soapbox, true},
    {"Loc", &CabrilloHeader::location, true},
    {"Mode", &CabrilloHeader::categoryMode, false},
};

}  // namespace

void CCabrilloLog::loadHeader(const std::string& callsign, const Settings& settings)
{
    header_.callsign = callsign;
    fileBaseName_ = cabrilloBaseName(callsign);
    for (const KeptHeaderValue& kept : kKeptHeaderValues)
        if (kept.readAsItStands)
            header_.*kept.field = settings.read(kept.key);
    header_.operators = settings.read("Operators", callsign.c_str());
    // The band and power the operator chose last time, rather than the same
    // defaults on every run.
    if (header_.categoryBand.empty())
        header_.categoryBand = "ALL";
    if (header_.categoryPower.empty())
        header_.categoryPower = "HIGH";
    header_.soapbox = soapboxForEditing(header_.soapbox);
    header_.claimed = settings.read("Claimed");
    header_.contest = "ZEMRIX";
    header_.categoryOperator = "SINGLE-OP";
    header_.categoryMode = "CW";
}

void CCabrilloLog::storeHeader(Settings& settings) const
{
    for (const KeptHeaderValue& kept : kKeptHeaderValues)
        settings.write(kept.key, header_.*kept.field);
}

bool CCabrilloLog::EditHeader(const std::string& callsign, Platform& platform, std::unique_lock<std::mutex>& entry)
{
    loadHeader(callsign, platform.settings());
    platform.stopMultiplierRefresh();

    CabrilloHeader edited = header_;
    if (!whileUnlocked(entry, [&] { return platform.editCabrilloHeader(edited); }))
        return false;
    confirmHeader(std::move(edited), platform.settings());
    return true;
}

void CCabrilloLog::confirmHeader(CabrilloHeader edited, Settings& settings)
{
    // Only what the dialog lets the operator change comes back.
    edited.claimed = header_.claimed;
    edited.location = header_.location;
    header_ = std::move(edited);

    header_.soapbox = soapboxForStoring(header_.soapbox);
    storeHeader(settings);
    header_.soapbox = soapboxForFile(header_.soapbox);
    qsoLines_.clear();
}

void CCabrilloLog::AddQsoLine(const std::string& workedCallsign, int32_t frequencyKhz, const std::string& mode,
                              const OleDateTime& time, const std::string& rstSent, const std::string& exchangeSent,
                              const std::string& rstReceived, const std::string& exchangeReceived)
{
    qsoLines_.push_back(formatted("QSO: %5i %2s %s %-13s %-3s %-6s %-13s %-3s %s\r\n", frequencyKhz, mode.c_str(),
                                  time.format("%Y-%m-%d %H%M").c_str(), header_.callsign.c_str(), rstSent.c_str(),
                                  exchangeSent.c_str(), workedCallsign.c_str(), rstReceived.c_str(),
                                  exchangeReceived.c_str()));
}

std::string CCabrilloLog::FileText(int32_t claimedScore, const std::string& hostVersion) const
{
    const CabrilloHeader& h = header_;
    const std::pair<const char*, std::string> lines[] = {
        {"CALLSIGN: ", h.callsign},
        {"CATEGORY-OPERATOR: ", h.categoryOperator},
        {"CATEGORY-BAND: ", h.categoryBand},
        {"CATEGORY-POWER: ", h.categoryPower},
        {"CATEGORY-MODE: ", h.categoryMode},
        {"CLAIMED-SCORE: ", std::to_string(claimedScore)},
        {"CLUB: ", h.club},
        {"OPERATORS: ", h.operators},
        {"CREATED-BY: Vexo ", hostVersion},
        {"NAME: ", h.name},
        {"ADDRESS: ", h.address},
        {"ADDRESS-CITY: ", h.addressCity},
        {"ADDRESS-POSTALCODE: ", h.addressPostalCode},
        {"ADDRESS-COUNTRY: ", h.addressCountry},
        {"E-MAIL: ", h.email},
        {"SOAPBOX: ", h.soapbox},
    };
    std::string text = "START-OF-LOG: 3.0\r\nCONTEST: ZEMRIX\r\n";
    for (const auto& [tag, value] : lines)
        text += tag + value + "\r\n";
    for (const std::string& line : qsoLines_)
        text += line;
    return text + "END-OF-LOG:\r\n";
}

std::string CCabrilloLog::WriteLog(FileSystem& files, int32_t claimedScore, const std::string& hostVersion) const
{
    const std::string fileName = fileBaseName_ + ".cbr";
    const FileStatus status = replaceFileContents(files, fileName, FileText(claimedScore, hostVersion));
    if (!status.ok())
        return "File not produced: " + fileName + " (" + status.failure + ")";
    return "File produced: " + fileName;
}
