#include "logfile/qso_time.h"

#include "logfile/text.h"

namespace {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool isCalendarDate(int year, int month, int day)
{
    return year >= 1900 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

// year, month, day at the given offsets of a date text of the given length.
bool readDate(const std::string& text, std::string::size_type length, std::string::size_type monthAt,
              std::string::size_type dayAt, CivilTime& time)
{
    if (text.size() != length)
        return false;
    time.year = digitsAt(text, 0, 4);
    time.month = digitsAt(text, monthAt, 2);
    time.day = digitsAt(text, dayAt, 2);
    return isCalendarDate(time.year, time.month, time.day);
}

// `field` names the time in the log's own terms, so the operator can find it.
void readClock(const std::string& text, const std::string& field, bool secondsAllowed, CivilTime& time)
{
    // "005" may be 00:05 or 00:50: guessing would move a QSO in time.
    if (text.size() == 3 && allDigits(text))
        throw QsoLineError({secondsAllowed ? MessageId::TimeAmbiguousWithSeconds : MessageId::TimeAmbiguous,
                            {field, text}});
    const bool hasSeconds = secondsAllowed && text.size() == 6;
    if (text.size() != 4 && !hasSeconds)
        throw QsoLineError({secondsAllowed ? MessageId::TimeNotHhmmOrHhmmss : MessageId::TimeNotHhmm, {field, text}});
    time.hour = digitsAt(text, 0, 2);
    time.minute = digitsAt(text, 2, 2);
    time.second = hasSeconds ? digitsAt(text, 4, 2) : 0;
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
        time.second > 59)
        throw QsoLineError({MessageId::TimeNotAClockTime, {field, text}});
}

}  // namespace

CivilTime qsoTimeFromCabrillo(const std::string& date, const std::string& time)
{
    CivilTime result;
    if (!readDate(date, 10, 5, 8, result) || date[4] != '-' || date[7] != '-')
        throw QsoLineError({MessageId::DateNotADate, {date}});
    readClock(time, "time", false, result);
    return result;
}

CivilTime qsoTimeFromAdif(const std::string& date, const std::string& time)
{
    CivilTime result;
    if (date.empty())
        throw QsoLineError({MessageId::RecordWithoutQsoDate});
    if (!readDate(date, 8, 4, 6, result))
        throw QsoLineError({MessageId::QsoDateNotADate, {date}});
    if (time.empty())
        throw QsoLineError({MessageId::RecordWithoutTimeOn});
    readClock(time, "TIME_ON", true, result);
    return result;
}

CivilTime dateFromIso(const std::string& date)
{
    CivilTime result;
    if (!readDate(date, 10, 5, 8, result) || date[4] != '-' || date[7] != '-')
        throw std::invalid_argument("\"" + date + "\" is not a date YYYY-MM-DD");
    return result;
}
