#include "contest/ole_date.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdio>

namespace {

// The range VariantTimeToSystemTime accepts: 1 January 100 to 31 December 9999.
constexpr double kFirstDay = -657435.0;
constexpr double kDayAfterLast = 2958466.0;

constexpr long daysFromCivil(long year, int month, int day)
{
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 306;
}

// Day 0 of the OLE calendar is 30 December 1899; days are counted on the
// proleptic Gregorian calendar.
constexpr long kEpochDaysFromCivil = daysFromCivil(1899, 12, 30);

void civilFromDays(long days, CivilTime& out)
{
    days += 306;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shiftedMonth = (5 * dayOfYear + 2) / 153;
    out.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    out.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2));
}

// As "%0*d" prints it, at `at`, which has room for any int; the end.
char* writeNumber(char* at, int value, int width)
{
    if (value < 0)
        return at + std::snprintf(at, 16, "%0*d", width, value);
    char digits[12];
    char* end = digits + sizeof digits;
    char* first = end;
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (end - first < width)
        *--first = '0';
    return std::copy(first, end, at);
}

}  // namespace

std::optional<CivilTime> civilTimeFromOleDate(double oleDate)
{
    if (!(oleDate > kFirstDay && oleDate < kDayAfterLast))
        return std::nullopt;

    // Negative dates count whole days backwards but the fraction forwards:
    // -1.25 is 29 December 1899, 06:00.
    const double wholeDays = oleDate < 0.0 ? std::ceil(oleDate) : std::floor(oleDate);
    // The small bias keeps values like 0.25 from truncating to 05:59:59.
    double fraction = std::fabs(oleDate - wholeDays) + 1e-11;
    if (fraction >= 1.0)
        fraction -= 1e-11;

    CivilTime time;
    civilFromDays(kEpochDaysFromCivil + static_cast<long>(wholeDays), time);
    fraction *= 24.0;
    time.hour = static_cast<int>(fraction);
    fraction = (fraction - time.hour) * 60.0;
    time.minute = static_cast<int>(fraction);
    fraction = (fraction - time.minute) * 60.0;
    time.second = static_cast<int>(fraction);
    fraction -= time.second;

    // More than half a second left rounds up, carrying into the minute,
    // hour and day as far as needed.
    if (fraction > 0.5 && ++time.second == 60) {
        time.second = 0;
        if (++time.minute == 60) {
            time.minute = 0;
            if (++time.hour == 24) {
                time.hour = 0;
                civilFromDays(daysFromCivil(time.year, time.month, time.day) + 1, time);
            }
        }
    }
    return time;
}

double oleDateFromCivilTime(const CivilTime& time)
{
    const double days = static_cast<double>(daysFromCivil(time.year, time.month, time.day) - kEpochDaysFromCivil);
    const double fraction = (time.hour * 3600.0 + time.minute * 60.0 + time.second) / 86400.0;
    return days < 0.0 ? days - fraction : days + fraction;
}

std::string formatCivilTime(const CivilTime& time, const char* pattern)
{
    std::string out;
    appendCivilTime(out, time, pattern);
    return out;
}

void appendCivilTime(std::string& out, const CivilTime& time, const char* pattern)
{
    // Made on the stack and appended in one piece (or a few, for a long
    // pattern): the report writers format a time per QSO line, and the
    // appends a character at a time were most of their cost.
    char text[64];
    char* at = text;
    for (const char* p = pattern; *p; ++p) {
        if (at + 16 > std::end(text)) {
            out.append(text, at);
            at = text;
        }
        if (*p != '%' || p[1] == '\0') {
            *at++ = *p;
            continue;
        }
        switch (*++p) {
        case 'Y': at = writeNumber(at, time.year, 1); break;
        case 'y': at = writeNumber(at, time.year % 100, 2); break;
        case 'm': at = writeNumber(at, time.month, 2); break;
        case 'd': at = writeNumber(at, time.day, 2); break;
        case 'H': at = writeNumber(at, time.hour, 2); break;
        case 'M': at = writeNumber(at, time.minute, 2); break;
        case 'S': at = writeNumber(at, time.second, 2); break;
        case '%': *at++ = '%'; break;
        default: *at++ = '%'; *at++ = *p; break;
        }
    }
    out.append(text, at);
}

bool OleDateTime::operator==(const OleDateTime& other) const
{
    if (status != other.status)
        return false;
    if (status == Valid)
        return date == other.date;
    return status == Null;
}

int OleDateTime::hour() const
{
    if (status != Valid)
        return -1;
    const auto time = civilTimeFromOleDate(date);
    return time ? time->hour : -1;
}

std::string OleDateTime::format(const char* pattern) const
{
    if (status == Null)
        return {};
    const auto time = status == Valid ? civilTimeFromOleDate(date) : std::nullopt;
    if (!time)
        return "Invalid DateTime";
    std::string text = formatCivilTime(*time, pattern);
    // The platform formats into a 256-byte buffer.
    if (text.size() > 255)
        text.resize(255);
    return text;
}
