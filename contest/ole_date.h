// The host's date-time value and the calendar arithmetic the rules need.
//
// The host passes COleDateTime objects: an OLE Automation date (days since
// midnight 30 December 1899, the fraction being the time of day) followed by a
// status word.  Conversion to a calendar time follows VariantTimeToSystemTime
// exactly (whole seconds, its rounding and its range), so the portable build
// and the DLL agree on every hour and every formatted text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct CivilTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// Breaks an OLE date down the way VariantTimeToSystemTime does; empty when
// the date lies outside the range that function accepts.
std::optional<CivilTime> civilTimeFromOleDate(double oleDate);

// The inverse, for callers that build dates (tests, the replay tool).
double oleDateFromCivilTime(const CivilTime& time);

// strftime-style formatting of a broken-down time.  Knows %Y %y %m %d %H %M
// %S and %%; any other conversion is copied as it stands.
std::string formatCivilTime(const CivilTime& time, const char* pattern);
// The same appended to `out`, without a text of its own.
void appendCivilTime(std::string& out, const CivilTime& time, const char* pattern);

struct OleDateTime {
    enum Status : int32_t { Valid = 0, Invalid = 1, Null = 2 };

    double date = 0.0;
    int32_t status = Valid;

    static OleDateTime null() { return {0.0, Null}; }

    // Valid times compare by date value, null times are equal to each
    // other, and an invalid time equals nothing.
    bool operator==(const OleDateTime& other) const;
    bool operator!=(const OleDateTime& other) const { return !(*this == other); }

    // 0 to 23; -1 for a time that is not valid or cannot be converted.
    int hour() const;

    // Empty for a null time, "Invalid DateTime" for one that is invalid or
    // out of range; otherwise the pattern filled in (at most 255 bytes).
    std::string format(const char* pattern) const;
};

// The host's COleDateTime as it passes one to the plug-in: the OLE date,
// then the status.
struct HostDateTime {
    double date;
    int32_t status;
};

// What a program playing a log hands the rules for a time it read; a time
// it has not is null.
inline OleDateTime oleTimeOf(const std::optional<CivilTime>& time)
{
    if (!time)
        return OleDateTime::null();
    return {oleDateFromCivilTime(*time), OleDateTime::Valid};
}

inline HostDateTime hostDateTime(const OleDateTime& time)
{
    return {time.date, time.status};
}
