// A small contest run whose figures are worked out by hand: 9 points on
// 80m (5 + 3 + 1), 4 on 40m (3 + 1), a duplicate that counts for nothing,
// three stations, 13 * 3 = 39.  Played by UA3XYZ from 14 to 15 June 2015.
#pragma once

struct WorkedQso {
    const char* callsign;
    const char* band;
    const char* mode;
    const char* countryPrefix;
};

inline constexpr WorkedQso kWorkedQsos[] = {
    {"K1ABC", "40m", "CW", "K"},    {"QZ3ZAA", "80m", "CW", "UA"}, {"UA3RAB", "80m", "CW", "UA"},
    {"K1ABC", "80m", "SSB", "K"},   {"UA3RAB", "40m", "SSB", "UA"}, {"K1ABC", "40m", "CW", "K"},
};

inline constexpr char kWorkedResults[] = "\tZEMRIX CONTEST 14.06-15.06.2015\r\n"
                                         "\t\tContestant: UA3XYZ \r\n"
                                         "\tQSOs\tPoints\tMult\tCW\tSSB\r\n"
                                         "80m\t 3\t 9\t\t 2\t 1\r\n"
                                         "40m\t 2\t 4\t\t 1\t 1\r\n"
                                         "Total\t 5\t 13\t 3\t 3\t 2\r\n"
                                         "\r\n"
                                         "Score: 13*3 = 39\r\n";
