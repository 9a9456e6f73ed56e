// Country lookup: exact calls before prefixes, the longest prefix, and the
// portable forms of a callsign; then the real cty.dat on the calls this
// contest scores differently.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "logfile/country_prefixes.h"

namespace {

const char kCountries[] =
    "European Russia:          16:  29:  EU:   53.65:   -41.37:    -4.0:  UA:\n"
    "    R,U,=R0CAF/1,=UA9KBF/6(16)[29];\n"
    "Kaliningrad:              15:  29:  EU:   54.72:   -20.52:    -3.0:  UA2:\n"
    "    R2F,UA2,=R2/DK2AI;\n"
    "Asiatic Russia:           17:  30:  AS:   55.88:   -84.08:    -7.0:  UA9:\n"
    "    R9,RA9,UA9,UA0(19)[33],=R0FK(40)[75];\n"
    "Fed. Rep. of Germany:     14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:\n"
    "    DA,DL,=DL/K1ABC/X;\n"
    "United States:            05:  08:  NA:   37.53:    91.67:     5.0:  K:\n"
    "    AA,K,N,W;\n"
    "Hawaii:                   31:  61:  OC:   21.12:   157.48:    10.0:  KH6:\n"
    "    AH6,KH6,\n"
    "    NH6,WH6;\n"
    "Sicily:                   15:  28:  EU:   37.50:   -14.00:    -1.0:  *IT9:\n"
    "    IT9,IW9<37.5/-14.0>{EU}~-1.0~;\n";

CountryPrefixes fixture()
{
    std::istringstream in(kCountries);
    return CountryPrefixes::read(in, "fixture.dat");
}

struct Lookup {
    const char* callsign;
    const char* country;
};

TEST(CountryPrefixes, FollowsTheLoggersRules)
{
    const CountryPrefixes countries = fixture();
    EXPECT_EQ(countries.countryCount(), 7u);
    const Lookup cases[] = {
        {"UA3ABC", "UA"},      {"R3RA", "UA"},         {"RA9RR", "UA9"},     {"UA2FA", "UA2"},
        {"R2FAA", "UA2"},      {"ua9xx", "UA9"},       {"UA0AA", "UA9"},     {"IT9ABC", "IT9"},
        {"IW9XYZ", "IT9"},     {"DL1ABC", "DL"},       {"KH6XX", "KH6"},     {"NH6A", "KH6"},
        // Exact calls first, even where the prefix says otherwise.
        {"R0FK", "UA9"},       {"R0CAF/1", "UA"},      {"R2/DK2AI", "UA2"},  {"UA9KBF/6", "UA"},
        // Operating suffixes say nothing about the place.
        {"K1ABC/P", "K"},      {"DL1ABC/M", "DL"},     {"DL1ABC/QRP", "DL"}, {"UA9KBF/6/P", "UA"},
        // A digit is a new call area.
        {"UA9XX/3", "UA"},     {"UA3XX/9", "UA9"},     {"UA9XX/3/P", "UA"},  {"UA9XX/2", "UA2"},
        // The shorter part is the location; when it is no prefix, the other part decides.
        {"DL/K1ABC", "DL"},    {"K1ABC/DL", "DL"},     {"KH6/K1ABC", "KH6"}, {"K1ABC/KH6", "KH6"},
        {"K1ABC/XYZ", "K"},    {"DL/K1ABC/X", "DL"},
        // No country.
        {"K1ABC/MM", ""},      {"DL1ABC/AM", ""},      {"QZ3ZBB", ""},       {"", ""},
        {"/", ""},             {"123", ""},
    };
    for (const Lookup& lookup : cases)
        EXPECT_EQ(countries.countryOf(lookup.callsign), lookup.country) << lookup.callsign;
}

TEST(CountryPrefixes, RejectsAMalformedFileNamingTheLine)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"Russia: 16: 29: EU: UA:\n    R,U;\n", "bad.dat:1: not a country line (name and seven fields, each ending in ':')"},
        {"European Russia: 16: 29: EU: 53.65: -41.37: -4.0: UA:\n    R,U;\n\nGarbage\n",
         "bad.dat:4: not a country line (name and seven fields, each ending in ':')"},
        {"European Russia: 16: 29: EU: 53.65: -41.37: -4.0: UA:\n    R,U,\n", "bad.dat: the last country's prefix list has no closing ';'"},
        {"\n\n", "bad.dat: lists no country"},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        try {
            CountryPrefixes::read(in, "bad.dat");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const CountryFileError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
    EXPECT_THROW(CountryPrefixes::load("/nonexistent/cty.dat"), CountryFileError);
}

// The 3-point rule asks for the Russian prefixes UA, UA2 and UA9 exactly.
TEST(CountryPrefixes, RealCountryFileGivesRussianPrefixes)
{
    if (!std::ifstream(SYSTEM_CTY_DAT))
        GTEST_SKIP() << SYSTEM_CTY_DAT " is not installed (tools/install-deps.sh installs it)";
    const CountryPrefixes countries = CountryPrefixes::load(SYSTEM_CTY_DAT);
    EXPECT_GT(countries.countryCount(), 300u);
    const Lookup cases[] = {
        {"UA3RAB", "UA"}, {"R3RA", "UA"},    {"RA3RBL", "UA"},   {"R5RA", "UA"},   {"UA2FZ", "UA2"},
        {"RA9RR", "UA9"}, {"UA0AA", "UA9"},  {"UA9XX/3", "UA"},  {"DL1ABC", "DL"}, {"IT9ABC", "IT9"},
        {"R2/DK2AI", "UA2"}, {"K1ABC/KH6", "KH6"}, {"OK1AB/P", "OK"}, {"QZ3ZBB", ""},
    };
    for (const Lookup& lookup : cases)
        EXPECT_EQ(countries.countryOf(lookup.callsign), lookup.country) << lookup.callsign;
}

}  // namespace
