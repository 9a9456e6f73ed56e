// contest.ini as an organiser writes it by hand: what each key sets, and the
// line named for each kind of mistake.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/whole_file.h"
#include "checker/contest_config.h"
#include "checker/known_busts.h"

namespace {

TEST(ContestConfig, ReadsEveryKeyWithCommentsAndBlanks)
{
    const ContestConfig config = readContestConfig("; ZEMRIX 2025\r\n\n"
                                                   "start = 2025-12-20 20:00\r\n"
                                                   "  end=2025-12-21 19:59 ; last minute\n"
                                                   "tolerance_minutes = 3\n"
                                                   "nil_penalty = 2\n"
                                                   "busted_penalty = 1\n"
                                                   "count_uniques = No\n"
                                                   "tie_break = fewer_lost\n"
                                                   "checklogs = ra1a,RK3DZB  UA9/R2AA ; three\n"
                                                   "name = ZEMRIX Cup\ncost_ranking_min_qsos = 0\n"
                                                   "busted_calls = committee/busts.txt\n",
                                                   "contest.ini");
    ASSERT_TRUE(config.start && config.end);
    EXPECT_EQ(formatCivilTime(*config.start, "%Y-%m-%d %H%M"), "2025-12-20 2000");
    EXPECT_EQ(formatCivilTime(*config.end, "%Y-%m-%d %H%M"), "2025-12-21 1959");
    EXPECT_EQ(config.toleranceMinutes, 3);
    EXPECT_EQ(config.nilPenalty, 2);
    EXPECT_EQ(config.bustedPenalty, 1);
    EXPECT_FALSE(config.countUniques);
    EXPECT_EQ(config.tieBreak, ContestConfig::TieBreak::FewerLost);
    EXPECT_EQ(config.checklogs, (std::set<std::string>{"RA1A", "RK3DZB", "UA9/R2AA"}));
    EXPECT_EQ(config.name, "ZEMRIX Cup");
    EXPECT_EQ(config.costRankingMinQsos, 0);
    EXPECT_EQ(config.bustedCallsFile, "committee/busts.txt");
    EXPECT_TRUE(config.knownBusts.empty()) << "the file is read by loadKnownBusts";
}

TEST(ContestConfig, KeysNotGivenKeepTheirDefaults)
{
    const ContestConfig config = readContestConfig("nil_penalty = 1\n", "c.ini");
    EXPECT_FALSE(config.start || config.end);
    EXPECT_EQ(config.toleranceMinutes, 5);
    EXPECT_EQ(config.bustedPenalty, 0);
    EXPECT_TRUE(config.countUniques);
    EXPECT_EQ(config.tieBreak, ContestConfig::TieBreak::None);
    EXPECT_TRUE(config.checklogs.empty());
}

TEST(ContestConfig, NamesTheLineOfEachMistake)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"\nstart 2025-12-20 20:00\n", "c.ini:2: \"start 2025-12-20 20:00\" is not key = value"},
        {"start = 2025-12-20\n", "c.ini:1: \"2025-12-20\" is not YYYY-MM-DD HH:MM"},
        {"start = 2025-02-30 20:00\n", "c.ini:1: date \"2025-02-30\" is not a calendar date YYYY-MM-DD"},
        {"end = 2025-12-20 24:00\n", "c.ini:1: time \"24:00\" is not a clock time HH:MM"},
        {"\n\nstart = 2025-12-20 25:61\n", "c.ini:3: time \"25:61\" is not a clock time HH:MM"},
        {"tolerance_minutes = -1\n", "c.ini:1: \"-1\" is not a whole number from 0 to 1440"},
        {"nil_penalty = 1.5\n", "c.ini:1: \"1.5\" is not a whole number from 0 to 100"},
        {"count_uniques = maybe\n", "c.ini:1: \"maybe\" is not yes or no"},
        {"tie_break = callsign\n", "c.ini:1: \"callsign\" is not none or fewer_lost"},
        {";\n;\ntolerance = 5\n", "c.ini:3: unknown key \"tolerance\""},
        {"start = 2025-12-21 20:00\nend = 2025-12-20 20:00\n", "c.ini:2: end is not after start"},
        {"end = 2025-12-20 20:00\n\nstart = 2025-12-20 20:00\n", "c.ini:3: end is not after start"},
        {"nil_penalty = 101\n", "c.ini:1: \"101\" is not a whole number from 0 to 100"},
        {"cost_ranking_min_qsos = 1001\n", "c.ini:1: \"1001\" is not a whole number from 0 to 1000"},
        {"name = ; none\n", "c.ini:1: the name is empty"},
        {"tolerance_minutes = 1441\n", "c.ini:1: \"1441\" is not a whole number from 0 to 1440"},
        {"nil_penalty = 1\n; again\nnil_penalty = 2\n", "c.ini:3: nil_penalty is given twice; first on line 1"},
        {"start = 2025-12-20 20:00\nstart=2025-12-20 21:00\n", "c.ini:2: start is given twice; first on line 1"},
        {"", "c.ini: no settings"},
        {"; only a comment\r\n\r\n", "c.ini: no settings"},
    };
    for (const auto& c : cases) {
        try {
            readContestConfig(c.text, "c.ini");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ConfigError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what();
        }
    }
}

// The highest values allowed, a byte order mark, a period of one minute.
TEST(ContestConfig, TakesEveryValueUpToItsLimit)
{
    const ContestConfig config = readContestConfig("\xEF\xBB\xBFnil_penalty = 100\nbusted_penalty=100\n"
                                                   "tolerance_minutes = 1440\nstart = 2024-02-29 23:59\n"
                                                   "end = 2024-03-01 00:00\n",
                                                   "c.ini");
    EXPECT_EQ(config.nilPenalty, 100);
    EXPECT_EQ(config.bustedPenalty, 100);
    EXPECT_EQ(config.toleranceMinutes, 1440);
    EXPECT_EQ(formatCivilTime(*config.start, "%Y-%m-%d %H%M"), "2024-02-29 2359");
    EXPECT_EQ(formatCivilTime(*config.end, "%Y-%m-%d %H%M"), "2024-03-01 0000");
}

TEST(ContestConfig, CommandLineSettingsOverrideTheFile)
{
    ContestConfig config = readContestConfig("tolerance_minutes = 3\ncount_uniques = yes\n", "c.ini");
    applyConfigSetting(config, "tolerance_minutes=10");
    applyConfigSetting(config, "count_uniques=no");
    EXPECT_EQ(config.toleranceMinutes, 10);
    EXPECT_FALSE(config.countUniques);
    EXPECT_THROW(applyConfigSetting(config, "nil_penalty=lots"), ConfigError);
    config = readContestConfig("start = 2025-12-20 20:00\nend = 2025-12-20 22:00\n", "c.ini");
    EXPECT_THROW(applyConfigSetting(config, "end=2025-12-20 20:00"), ConfigError);
}

}  // namespace

// The committee's list of busts: what each line says, and each mistake
// named by file and line.
TEST(KnownBusts, ReadsTheCommitteesList)
{
    const auto busts = readKnownBusts("\xEF\xBB\xBF; decided on 2026-01-10\r\nRA3AAA -> RA3AA\r\n\n"
                                      "  ua9/r2aa->UA9/R2A ; lower case is fine\nRK3DZB ->RK3DZ\n",
                                      "busts.txt");
    EXPECT_EQ(busts, (std::map<std::string, std::string>{
                         {"RA3AAA", "RA3AA"}, {"UA9/R2AA", "UA9/R2A"}, {"RK3DZB", "RK3DZ"}}));
    EXPECT_TRUE(readKnownBusts("; nothing decided yet\n", "busts.txt").empty());
}

TEST(KnownBusts, NamesTheFileAndLineOfEachMistake)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"RA3AAA RA3AA\n", "busts.txt:1: \"RA3AAA RA3AA\" is not CALL -> CALL"},
        {"\nRA3AAA ->\n", "busts.txt:2: \"RA3AAA ->\" is not CALL -> CALL"},
        {"-> RA3AA\n", "busts.txt:1: \"-> RA3AA\" is not CALL -> CALL"},
        {"RA3 AAA -> RA3AA\n", "busts.txt:1: \"RA3 AAA -> RA3AA\" is not CALL -> CALL"},
        {"RA3AAA -> RA3AA -> RA3A\n", "busts.txt:1: \"RA3AAA -> RA3AA -> RA3A\" is not CALL -> CALL"},
        {"RA3AAA = RA3AA\n", "busts.txt:1: \"RA3AAA = RA3AA\" is not CALL -> CALL"},
        {"RA3AA -> ra3aa\n", "busts.txt:1: RA3AA is corrected to itself"},
        {"RA3AAA -> RA3AA\n;\nra3aaa -> RA3AB\n", "busts.txt:3: RA3AAA is given twice; first on line 1"},
        {"RA3AAA -> RA3AA\nRA3AA -> RA3A\n", "busts.txt:1: RA3AA is itself busted, on line 2"},
    };
    for (const auto& c : cases) {
        try {
            readKnownBusts(c.text, "busts.txt");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ConfigError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(KnownBusts, TheFileIsReadBesideContestIniAndNamedWhenMissing)
{
    const std::filesystem::path folder = std::filesystem::path(CHECKER_SCRATCH_DIR) / "known-busts";
    std::filesystem::create_directories(folder);
    writeWholeFile(folder / "busts.txt", "RA3AAA -> RA3AA\n");
    ContestConfig config = readContestConfig("busted_calls = busts.txt\n", "contest.ini");
    loadKnownBusts(config, folder);
    EXPECT_EQ(config.knownBusts, (std::map<std::string, std::string>{{"RA3AAA", "RA3AA"}}));
    config = readContestConfig("busted_calls = none.txt\n", "contest.ini");
    try {
        loadKnownBusts(config, folder);
        ADD_FAILURE() << "a missing file was taken";
    } catch (const ConfigError& error) {
        EXPECT_NE(std::string(error.what()).find("none.txt"), std::string::npos) << error.what();
    }
    std::filesystem::remove_all(folder);
}
