// The command line, the header file and the plan of calls made from a log.
#include <gtest/gtest.h>

#include <sstream>

#include "replay_options.h"

namespace {

std::string dateText(const std::optional<CivilTime>& time)
{
    return time ? formatCivilTime(*time, "%Y-%m-%d %H%M") : "none";
}

TEST(CommandLine, ReadsEveryOption)
{
    const ReplayOptions options = parseCommandLine(
        {"--call", "RA3XYZ", "--prefix", "UA", "--start", "2025-12-20", "--end", "2025-12-21", "--cty", "c.dat",
         "--workdir", "w", "--save-results", "r.txt", "--report", "r.html", "--timing", "--export", "--header-file", "h.ini", "--header",
         "Name=Ivan Petrov", "--header", "SoapBox = 73 ", "log.cbr"});
    EXPECT_EQ(options.logFile, "log.cbr");
    EXPECT_EQ(options.ownCallsign, "RA3XYZ");
    EXPECT_EQ(options.ownCountryPrefix, "UA");
    EXPECT_EQ(dateText(options.contestStart), "2025-12-20 0000");
    EXPECT_EQ(dateText(options.contestEnd), "2025-12-21 0000");
    EXPECT_EQ(options.countryFile, "c.dat");
    EXPECT_EQ(options.workDir, "w");
    EXPECT_EQ(options.resultsFile, "r.txt");
    EXPECT_EQ(options.reportFile, "r.html");
    EXPECT_TRUE(options.timing);
    EXPECT_TRUE(options.exportCabrillo);
    EXPECT_EQ(options.headerFile, "h.ini");
    const std::vector<HeaderValue> header = {{"Name", "Ivan Petrov"}, {"SoapBox", "73"}};
    EXPECT_EQ(options.headerValues, header);
}

TEST(CommandLine, SaysWhatIsWrong)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no log file given"},
        {{"a.log", "b.log"}, "more than one log file: a.log, b.log"},
        {{"--call"}, "--call needs a value"},
        {{"--verbose", "a.log"}, "unknown option --verbose"},
        {{"--start", "20.12.2025", "a.log"}, "--start: \"20.12.2025\" is not a date YYYY-MM-DD"},
        {{"--end", "2025-02-29", "a.log"}, "--end: \"2025-02-29\" is not a date YYYY-MM-DD"},
        {{"--header", "Name=X", "a.log"}, "--header and --header-file go with --export"},
        {{"--export", "--header", "Callsign=X", "a.log"},
         "--header: \"Callsign=X\" is not KEY=VALUE with KEY one of Operators, Name, Address, Address-City, "
         "Address-PostalCode, Address-Country, Band, Power, Category, Mode, Contest, Email, Club, SoapBox, Loc"},
    };
    for (const Case& c : cases) {
        try {
            parseCommandLine(c.arguments);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const UsageError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

// Every key the header dialog reads or writes, in any case, comes back spelt
// as the settings file has it.
TEST(CommandLine, TakesEveryHeaderKeyOfTheDialog)
{
    const ReplayOptions options = parseCommandLine(
        {"--export", "--header", "mode=MIXED", "--header", "CATEGORY=MULTI-OP", "--header", "Contest=ZEMRIX-TEST",
         "--header", "loc=KO85", "--header", "Band=80M", "--header", "power=qrp", "--call", "rk3dzb", "x.log"});
    const std::vector<HeaderValue> expected = {{"Mode", "MIXED"}, {"Category", "MULTI-OP"}, {"Contest", "ZEMRIX-TEST"},
                                               {"Loc", "KO85"},   {"Band", "80M"},          {"Power", "qrp"}};
    EXPECT_EQ(options.headerValues, expected);
    EXPECT_EQ(options.ownCallsign, "RK3DZB");
}

TEST(HeaderFile, ReadsKeyValueLines)
{
    std::istringstream in("; station data\n[Settings]\nName=Ivan Petrov\r\n\nEmail = ivan@example.org\n");
    const std::vector<HeaderValue> expected = {{"Name", "Ivan Petrov"}, {"Email", "ivan@example.org"}};
    EXPECT_EQ(readHeaderFile(in, "h.ini"), expected);
    std::istringstream bad("Name=Ivan\nPower HIGH\n");
    try {
        readHeaderFile(bad, "h.ini");
        ADD_FAILURE() << "accepted a line without '='";
    } catch (const UsageError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("h.ini:2: \"Power HIGH\" is not KEY=VALUE", 0), 0u) << error.what();
    }
}

CountryPrefixes countries()
{
    std::istringstream in(
        "European Russia: 16: 29: EU: 53.65: -41.37: -4.0: UA:\n    R,U;\n"
        "Fed. Rep. of Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n    DA,DL;\n");
    return CountryPrefixes::read(in, "fixture.dat");
}

LoggedQso qso(const char* own, const char* worked, CivilTime time)
{
    LoggedQso q;
    q.ownCallsign = own;
    q.workedCallsign = worked;
    q.time = time;
    return q;
}

TEST(ReplayPlan, TakesDefaultsFromTheLog)
{
    ContestLog log;
    log.ownCallsign = "RA3XYZ";
    log.qsos = {qso("RA3XYZ", "DL1ABC", {2025, 12, 21, 0, 5, 0}), qso("", "QZ3ZBB", {2025, 12, 20, 21, 0, 0}),
                qso("RA3XYZ", "QZ3ZBB", {2025, 12, 20, 23, 59, 0}), qso("RA3XYZ", "UA3RAB", {2025, 12, 22, 0, 0, 0})};
    const ReplayPlan plan = planReplay(log, parseCommandLine({"x.log"}), countries());
    EXPECT_EQ(plan.ownCallsign, "RA3XYZ");
    EXPECT_EQ(plan.ownCountryPrefix, "UA");
    EXPECT_EQ(dateText(plan.contestStart), "2025-12-20 0000");
    EXPECT_EQ(dateText(plan.contestEnd), "2025-12-22 0000");
    const std::vector<std::string> prefixes = {"DL", "", "", "UA"};
    EXPECT_EQ(plan.countryPrefixes, prefixes);
    EXPECT_EQ(plan.callsWithoutCountry, std::vector<std::string>{"QZ3ZBB"});
    EXPECT_EQ(plan.qsos[1].ownCallsign, "RA3XYZ");  // a QSO without its own call gets the log's
}

TEST(ReplayPlan, CommandLineOverridesTheLog)
{
    ContestLog log;
    log.ownCallsign = "RA3XYZ";
    log.qsos = {qso("RA3XYZ", "DL1ABC", {2025, 12, 21, 0, 5, 0})};
    const ReplayPlan plan = planReplay(
        log, parseCommandLine({"--call", "DL9ZZ", "--prefix", "XX", "--start", "2025-12-01", "x.log"}), countries());
    EXPECT_EQ(plan.ownCallsign, "DL9ZZ");
    EXPECT_EQ(plan.ownCountryPrefix, "XX");
    EXPECT_EQ(plan.qsos[0].ownCallsign, "DL9ZZ");
    EXPECT_EQ(dateText(plan.contestStart), "2025-12-01 0000");
    EXPECT_EQ(dateText(plan.contestEnd), "2025-12-21 0000");
    EXPECT_THROW(planReplay(ContestLog{}, parseCommandLine({"x.log"}), countries()), UsageError);
}

}  // namespace
