// The Cabrillo 3.0 export: the header values the operator confirms in the
// header dialog (kept between runs in the settings file), the QSO lines of
// the last export, and the writer of "<callsign>.cbr".
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "contest/file_system.h"
#include "contest/ole_date.h"
#include "contest/platform.h"

// Every occurrence of `search`, left to right, without searching the
// replacements again.  Equal search and replacement return the text as is.
std::string ReplaceAll(std::string text, const std::string& search, const std::string& replacement);

// The header fields, as the dialog shows and edits them.
struct CabrilloHeader {
    std::string callsign;
    std::string operators;
    std::string name;
    std::string address;
    std::string addressCity;
    std::string addressPostalCode;
    std::string addressCountry;
    std::string claimed;
    std::string categoryBand;
    std::string categoryPower;
    std::string location;
    std::string contest;
    std::string categoryOperator;
    std::string categoryMode;
    std::string email;
    std::string club;
    std::string soapbox;
};

// The categories the contest knows, as the header dialog offers them; each
// list ends with a null.
inline constexpr const char* kOperatorCategories[] = {"SINGLE-OP", "MULTI-OP", "JUNIOR", "CHECKLOG", nullptr};
inline constexpr const char* kBandCategories[] = {"ALL", "80M", "40M", nullptr};
inline constexpr const char* kModeCategories[] = {"CW", "SSB", "MIXED", nullptr};
inline constexpr const char* kPowerCategories[] = {"HIGH", "LOW", "QRP", nullptr};

// The name of the .cbr file, without extension, for a callsign: characters a
// Windows file name cannot hold become "_", a device name such as "CON"
// gains a "_" after it, also before an extension ("COM1.log" gives
// "COM1_.log"), and an empty name is "XOLT".
std::string cabrilloBaseName(const std::string& callsign);

// "2.19" for a version-2 host, "3.1.2" for any other, from the two halves of
// the file version in the executable's version resource.
std::string hostVersionText(uint32_t fileVersionMS, uint32_t fileVersionLS);

class CCabrilloLog {
public:
    // Loads the header from the settings, lets the operator edit it and, on
    // OK, stores it back and readies it for the writer.  False on cancel,
    // with nothing stored.
    // The dialog runs with `entry`, the caller's lock over the contest, let
    // go, so that the host can call in while the operator edits.
    bool EditHeader(const std::string& callsign, Platform& platform, std::unique_lock<std::mutex>& entry);

    void ClearQsoLines() { qsoLines_.clear(); }
    void AddQsoLine(const std::string& workedCallsign, int32_t frequencyKhz, const std::string& mode,
                    const OleDateTime& time, const std::string& rstSent, const std::string& exchangeSent,
                    const std::string& rstReceived, const std::string& exchangeReceived);

    // The whole file as it is written.
    std::string FileText(int32_t claimedScore, const std::string& hostVersion) const;

    // Writes "<base name>.cbr" in the current directory and returns the
    // message for the operator: "File produced: ..." or, when the file could
    // not be written, which file and why.  A failed write keeps the file of
    // the last export that succeeded.
    std::string WriteLog(FileSystem& files, int32_t claimedScore, const std::string& hostVersion) const;

    const CabrilloHeader& header() const { return header_; }
    const std::string& fileBaseName() const { return fileBaseName_; }
    const std::vector<std::string>& qsoLines() const { return qsoLines_; }

private:
    void loadHeader(const std::string& callsign, const Settings& settings);
    void confirmHeader(CabrilloHeader edited, Settings& settings);
    void storeHeader(Settings& settings) const;

    CabrilloHeader header_;
    std::string fileBaseName_;
    std::vector<std::string> qsoLines_;
};
