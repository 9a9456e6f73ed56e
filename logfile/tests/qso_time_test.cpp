// A QSO's date and time as Cabrillo and ADIF write them: every calendar
// edge, and the clock's.
#include <gtest/gtest.h>

#include "logfile/qso_time.h"

namespace {

TEST(QsoTime, TakesCalendarDatesAndClockTimesOnly)
{
    const struct {
        const char* date;  // Cabrillo's YYYY-MM-DD
        const char* time;  // HHMM
        bool valid;
    } cases[] = {
        {"2000-02-29", "0000", true},  {"1900-02-29", "0000", false}, {"2100-02-29", "0000", false},
        {"2024-02-29", "1200", true},  {"2025-02-29", "1200", false}, {"2025-02-28", "2359", true},
        {"2025-12-31", "2359", true},  {"2025-12-32", "1200", false}, {"2025-13-01", "1200", false},
        {"2025-04-31", "1200", false}, {"2025-04-30", "1200", true},  {"2025-12-20", "2060", false},
        {"2025-12-20", "2059", true},  {"2025-12-20", "2400", false}, {"2025-12-20", "2300", true},
        {"2025-00-10", "1200", false}, {"2025-01-00", "1200", false}, {"1899-12-31", "1200", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            [&] {
                try {
                    qsoTimeFromCabrillo(c.date, c.time);
                    return true;
                } catch (const QsoLineError&) {
                    return false;
                }
            }(),
            c.valid)
            << c.date << " " << c.time;
        std::string adifDate = c.date;
        adifDate.erase(7, 1).erase(4, 1);
        for (const std::string adifTime : {std::string(c.time), std::string(c.time) + "00"})
            EXPECT_EQ(
                [&] {
                    try {
                        qsoTimeFromAdif(adifDate, adifTime);
                        return true;
                    } catch (const QsoLineError&) {
                        return false;
                    }
                }(),
                c.valid)
                << adifDate << " " << adifTime;
    }
    EXPECT_THROW(qsoTimeFromAdif("20251220", "205960"), QsoLineError);
    EXPECT_NO_THROW(qsoTimeFromAdif("20251220", "205959"));
}

}  // namespace
