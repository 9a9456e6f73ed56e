// The command line, the header file, and what is read from a log and a results text.
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
    EXPECT_EQ(options.plan.ownCallsign, "RA3XYZ");
    EXPECT_EQ(options.plan.ownCountryPrefix, "UA");
    EXPECT_EQ(dateText(options.plan.contestStart), "2025-12-20 0000");
    EXPECT_EQ(dateText(options.plan.contestEnd), "2025-12-21 0000");
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
        {{"--export", "--header", "Mode=BOGUS", "a.log"},
         "--header: Mode \"BOGUS\" is not a Cabrillo 3.0 value; allowed: CW, DIGI, FM, RTTY, SSB, MIXED"},
        {{"--export", "--header", "power=1kW", "a.log"},
         "--header: Power \"1kW\" is not a Cabrillo 3.0 value; allowed: HIGH, LOW, QRP"},
        {{"--export", "--header", "Category=JUNIOR", "a.log"},
         "--header: Category \"JUNIOR\" is not a Cabrillo 3.0 value; allowed: SINGLE-OP, MULTI-OP, CHECKLOG"},
        {{"--export", "--header", "Band=30M", "a.log"},
         "--header: Band \"30M\" is not a Cabrillo 3.0 value; allowed: ALL, 160M, 80M, 40M, 20M, 15M, 10M, 6M, 4M, "
         "2M, 222, 432, 902, 1.2G, 2.3G, 3.4G, 5.7G, 10G, 24G, 47G, 75G, 123G, 134G, 241G, LIGHT, VHF-3-BAND, "
         "VHF-FM-ONLY"},
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
                                               {"Loc", "KO85"},   {"Band", "80M"},          {"Power", "QRP"}};
    EXPECT_EQ(options.headerValues, expected);
    EXPECT_EQ(options.plan.ownCallsign, "RK3DZB");
}

// --help needs no log file and wins over everything else on the line.
TEST(CommandLine, HelpNeedsNothingElse)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--call", "RA3XYZ", "-h", "x.log"}})
        EXPECT_TRUE(parseCommandLine(arguments).help);
}

// The usage text in either language names every option the parser takes.
TEST(CommandLine, UsageNamesEveryOption)
{
    for (Language language : {Language::English, Language::Russian}) {
        const std::string usage = usageText(language);
        for (const char* option : {"--call", "--prefix", "--start", "--end", "--cty", "--workdir", "--save-results",
                                   "--report", "--timing", "--export", "--header-file", "--header", "--version",
                                   "--help", "-h,"})
            EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    EXPECT_NE(usageText(Language::English).find("Default:\n                       the current folder"),
              std::string::npos);
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

// The plan is made with the command line's options; a log without an own
// callsign asks for --call.
TEST(CommandLine, GivesThePlanItsOptions)
{
    std::istringstream cty("Fed. Rep. of Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n    DA,DL;\n");
    const CountryPrefixes countries = CountryPrefixes::read(cty, "fixture.dat");
    ContestLog log;
    log.ownCallsign = "RA3XYZ";
    const ReplayPlan plan =
        replayPlanOf(log, parseCommandLine({"--call", "dl9zz", "--prefix", "XX", "--end", "2025-12-21", "x.log"}),
                     countries);
    EXPECT_EQ(plan.ownCallsign + " " + plan.ownCountryPrefix + " " + dateText(plan.contestEnd), "DL9ZZ XX 2025-12-21 0000");
    try {
        replayPlanOf(ContestLog{}, parseCommandLine({"x.log"}), countries);
        ADD_FAILURE() << "planned a log without an own callsign";
    } catch (const UsageError& error) {
        EXPECT_STREQ(error.what(), "the log names no own callsign; give --call");
    }
}

// What a Cabrillo header offers the header dialog, and the claimed score.
TEST(LogHeader, GivesTheDialogItsDefaultsAndTheClaimedScore)
{
    ContestLog log;
    log.header = {{"START-OF-LOG", "3.0"},     {"CALLSIGN", "RK3DZB"},      {"CATEGORY-OPERATOR", "single-op"},
                  {"CATEGORY-MODE", "MIXED"}, {"CATEGORY-POWER", "1kW"},   {"CATEGORY-BAND", ""},
                  {"NAME", "Ivan Petrov"},    {"OPERATORS", "RK3DZB UA3AA"}, {"CLAIMED-SCORE", "73696"},
                  {"ADDRESS", "ul. Lenina 1"}, {"ADDRESS", "kv. 5"},         {"SOAPBOX", "73"}};
    std::vector<std::string> leftOut;
    const std::vector<HeaderValue> expected = {{"Category", "SINGLE-OP"}, {"Mode", "MIXED"},
                                               {"Name", "Ivan Petrov"},   {"Operators", "RK3DZB UA3AA"},
                                               {"Address", "ul. Lenina 1"}};
    EXPECT_EQ(headerFromLog(log, leftOut), expected);
    EXPECT_EQ(leftOut, std::vector<std::string>{"CATEGORY-POWER: 1kW"});
    EXPECT_EQ(claimedScoreOf(log), 73696);

    const std::pair<std::string, std::optional<long long>> claims[] = {
        {"0", 0}, {"-12", -12}, {"", std::nullopt}, {"73 696", std::nullopt}, {"about 500", std::nullopt}};
    for (const auto& [text, score] : claims) {
        log.header = {{"CLAIMED-SCORE", text}};
        EXPECT_EQ(claimedScoreOf(log), score) << text;
    }
    EXPECT_EQ(claimedScoreOf(ContestLog{}), std::nullopt);
}

TEST(ResultsText, GivesTheComputedScore)
{
    const std::pair<std::string, std::optional<long long>> cases[] = {
        {"\tQSOs\r\nTotal\t 294\r\n\r\nScore: 392*188 = 73696\r\n", 73696},
        {"Score: 0*0 = 0", 0},
        {"no score line\r\n", std::nullopt},
    };
    for (const auto& [text, score] : cases)
        EXPECT_EQ(scoreOfResults(text), score) << text;
}

}  // namespace
