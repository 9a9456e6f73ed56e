#include "rules/acceptance.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/qso_builder.h"
#include "support/scratch_dir.h"

namespace {

class Acceptance : public ::testing::Test {
protected:
    int add(const QsoFields& qso) { return addQso(state, errors, qso); }
    std::string errorLog() { return fileBytes("err.txt"); }

    ScratchDir dir;
    ContestState state;
    ErrorLog errors{portableFileSystem()};
};

TEST_F(Acceptance, RejectLineHasEveryFieldInOrder)
{
    QsoFields qso = contestQso("DX", "20m", "CW", utc(2015, 6, 14, 13, 5));
    qso.frequencyHz = 14012345;
    EXPECT_EQ(add(qso), 0);
    EXPECT_EQ(errorLog(), "QSO:  14012  CW  2015-06-14 1305  OWN  599  001  DX  579  12   NO CONTEST BAND !!!\r\n");
    EXPECT_TRUE(state.log.empty());
    EXPECT_TRUE(state.bands.empty());
}

TEST_F(Acceptance, RulesApplyInOrderAndOnlyTheFirstBrokenOneIsReported)
{
    struct Case {
        std::string band, mode, sent, received, message;
    };
    const Case cases[] = {
        {"15m", "RTTY", "", "", "   NO CONTEST BAND !!!"},
        {"80m", "cw", "", "", "   NO TEST MODE !!!"},
        {"80m", "RTTY", "001", "12", "   NO TEST MODE !!!"},
        {"40m", "SSB", "", "12", "   NO RX NUMBER !!!"},
        {"40m", "SSB", "001", "", "   NO RX NUMBER !!!"},
    };
    std::string expected;
    for (const Case& c : cases) {
        QsoFields qso = contestQso("DX", c.band, c.mode);
        qso.exchangeSent = c.sent;
        qso.exchangeReceived = c.received;
        qso.frequencyHz = 999;
        EXPECT_EQ(add(qso), 0) << c.message;
        expected += rejectLine(qso, c.message.c_str()) + "\r\n";
    }
    EXPECT_EQ(errorLog(), expected);
    EXPECT_NE(expected.find("QSO:  0  "), std::string::npos);
}

TEST_F(Acceptance, AnyBandOutsideTheRejectedListIsAccepted)
{
    EXPECT_EQ(add(contestQso("DX", "6m")), 1);
    EXPECT_EQ(add(contestQso("DX", "80M")), 1);
    EXPECT_EQ(state.bands, (BandList{"6m", "80M"}));
}

TEST_F(Acceptance, EveryRejectedBandAndOnlyThoseAreRejected)
{
    const std::pair<const char*, int> cases[] = {
        {"160m", 0}, {"30m", 0}, {"20m", 0}, {"17m", 0}, {"15m", 0}, {"12m", 0}, {"10m", 0},
        {"80m", 1},  {"40m", 1}, {"17M", 1}, {"17m ", 1}, {"6m", 1}, {"1m", 1},  {"", 1},
    };
    for (const auto& [band, stored] : cases) {
        std::filesystem::remove("err.txt");
        const QsoFields qso = contestQso("DX" + std::string(band), band);
        EXPECT_EQ(add(qso), stored) << band;
        EXPECT_EQ(errorLog(), stored ? "" : rejectLine(qso, "   NO CONTEST BAND !!!") + "\r\n") << band;
    }
}

TEST_F(Acceptance, EachEarlierMatchWritesOneDupeLine)
{
    const QsoFields qso = contestQso("UA3RAA", "80m", "CW");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(add(qso), 1);
    ASSERT_EQ(state.log.size(), 3u);
    EXPECT_EQ(state.log[0].isDuplicate, 0);
    EXPECT_EQ(state.log[1].isDuplicate, 1);
    EXPECT_EQ(state.log[2].isDuplicate, 1);
    const std::string dupe = rejectLine(qso, "   DUPE !!!") + "\r\n";
    EXPECT_EQ(errorLog(), dupe + dupe + dupe);
}

TEST_F(Acceptance, ADuplicateNeedsTheSameBandAndModeButNotTheSameHour)
{
    add(contestQso("DX", "80m", "CW", utc(2015, 6, 14, 10, 0)));
    add(contestQso("DX", "80m", "SSB"));
    add(contestQso("DX", "40m", "CW"));
    add(contestQso("DX", "80m", "CW", utc(2015, 6, 14, 14, 0)));
    EXPECT_EQ(state.log[1].isDuplicate, 0);
    EXPECT_EQ(state.log[2].isDuplicate, 0);
    EXPECT_EQ(state.log[3].isDuplicate, 1);
}

TEST_F(Acceptance, RecordCopiesTheArgumentsAndFilesSicilyUnderItaly)
{
    QsoFields qso = contestQso("IT9ABC", "40m", "SSB");
    qso.countryPrefix = "IT9";
    qso.frequencyHz = 7012999;
    add(qso);
    qso.countryPrefix = "IG9";
    add(qso);
    qso.countryPrefix = "IT";
    add(qso);
    const CInfo& r = state.log[0];
    EXPECT_EQ(r.workedCallsign, "IT9ABC");
    EXPECT_EQ(r.multiplierKey(), "IT9ABC");
    EXPECT_EQ(r.countryPrefix, "I");
    EXPECT_EQ(r.frequencyKhz, 7012);
    EXPECT_EQ(r.rstSent, "599");
    EXPECT_EQ(r.rstReceived, "579");
    EXPECT_EQ(r.exchangeSent, "001");
    EXPECT_EQ(r.exchangeReceived, "12");
    EXPECT_EQ(r.time, qso.time);
    EXPECT_EQ(state.log[1].countryPrefix, "I");
    EXPECT_EQ(state.log[2].countryPrefix, "IT");
}

TEST_F(Acceptance, AnAcceptedQsoLeavesTheErrorLogExistingButEmpty)
{
    ASSERT_FALSE(std::filesystem::exists("err.txt"));
    EXPECT_EQ(add(contestQso("DX")), 1);
    EXPECT_TRUE(std::filesystem::exists("err.txt"));
    EXPECT_EQ(errorLog(), "");
}

TEST_F(Acceptance, AnUnwritableErrorLogChangesNothingElse)
{
    std::filesystem::create_directory("err.txt");
    EXPECT_EQ(add(contestQso("DX", "20m")), 0);
    EXPECT_EQ(add(contestQso("DX")), 1);
    EXPECT_EQ(add(contestQso("DX")), 1);
    EXPECT_EQ(state.log.size(), 2u);
    EXPECT_EQ(state.log[1].isDuplicate, 1);
}

TEST_F(Acceptance, RemovalTakesTheFirstExactMatchOnly)
{
    const OleDateTime at10 = utc(2015, 6, 14, 10, 0);
    add(contestQso("DX", "80m", "CW", at10));
    add(contestQso("DX", "80m", "CW", at10));
    add(contestQso("DX", "80m", "CW", utc(2015, 6, 14, 11, 0)));

    QsoFields other = contestQso("DX", "80m", "CW", OleDateTime{at10.date + 1e-9, OleDateTime::Valid});
    EXPECT_EQ(removeQso(state, other), 1);
    EXPECT_EQ(state.log.size(), 3u);

    EXPECT_EQ(removeQso(state, contestQso("DX", "80m", "CW", at10)), 1);
    ASSERT_EQ(state.log.size(), 2u);
    // The survivor keeps the flag it was added with and stays out of the score.
    EXPECT_EQ(state.log[0].isDuplicate, 1);
    EXPECT_EQ(state.bands, (BandList{"80m"}));
}

// Matches with other records between them: a removal that went on past the
// first would take the second too.
TEST_F(Acceptance, RemovalStopsAtTheFirstOfMatchesApart)
{
    const OleDateTime at10 = utc(2015, 6, 14, 10, 0);
    const char* order[] = {"K1ABC", "DX", "UA3RAA", "K1ABC", "DX", "DL1ABC", "DX"};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        QsoFields qso = contestQso(order[i], "80m", "CW", at10);
        qso.exchangeReceived = std::to_string(i);
        add(qso);
    }
    EXPECT_EQ(removeQso(state, contestQso("DX", "80m", "CW", at10)), 1);
    std::string left;
    for (const CInfo& record : state.log)
        left += record.workedCallsign + "/" + record.exchangeReceived + " ";
    EXPECT_EQ(left, "K1ABC/0 UA3RAA/2 K1ABC/3 DX/4 DL1ABC/5 DX/6 ");
}

TEST_F(Acceptance, RemovalNeedsBothExchangesAndMatchesNullTimes)
{
    add(contestQso("DX", "80m", "CW", OleDateTime::null()));
    QsoFields qso = contestQso("DX", "80m", "CW", OleDateTime::null());
    qso.exchangeReceived.clear();
    EXPECT_EQ(removeQso(state, qso), 0);
    EXPECT_EQ(state.log.size(), 1u);
    EXPECT_EQ(removeQso(state, contestQso("DX", "80m", "CW", OleDateTime::null())), 1);
    EXPECT_TRUE(state.log.empty());
}

TEST_F(Acceptance, InvalidTimesNeverMatchForRemoval)
{
    const OleDateTime invalid{1.0, OleDateTime::Invalid};
    add(contestQso("DX", "80m", "CW", invalid));
    EXPECT_EQ(removeQso(state, contestQso("DX", "80m", "CW", invalid)), 1);
    EXPECT_EQ(state.log.size(), 1u);
}

// Played as a value, a QSO says what addQso would have written: the reason
// of a rejection, and a duplicate's earlier matches, one per line; and
// nothing reaches the disk.
TEST_F(Acceptance, PlayingAQsoTellsWhatHappenedAndWritesNothing)
{
    struct Case {
        std::string callsign, band, mode, sent;
        Rejection rejection;
        uint32_t earlierMatches;
        const char* message;
    };
    const Case cases[] = {
        {"DX", "80m", "CW", "001", Rejection::None, 0, ""},
        {"DX", "80m", "CW", "001", Rejection::None, 1, "   DUPE !!!"},
        {"DX", "80m", "SSB", "001", Rejection::None, 0, ""},
        {"DX", "80m", "CW", "001", Rejection::None, 2, "   DUPE !!!"},
        {"DX", "20m", "CW", "001", Rejection::NoContestBand, 0, "   NO CONTEST BAND !!!"},
        {"DX", "80m", "RTTY", "001", Rejection::NoTestMode, 0, "   NO TEST MODE !!!"},
        {"DX", "80m", "CW", "", Rejection::NoRxNumber, 0, "   NO RX NUMBER !!!"},
        {"DX", "80m", "CW", "001", Rejection::None, 3, "   DUPE !!!"},
    };
    std::size_t stored = 0;
    for (const Case& c : cases) {
        QsoFields qso = contestQso(c.callsign, c.band, c.mode);
        qso.exchangeSent = c.sent;
        const QsoOutcome outcome = playQso(state, qso);
        EXPECT_EQ(outcome.rejection, c.rejection) << c.message;
        EXPECT_EQ(outcome.earlierMatches, c.earlierMatches) << c.message;
        EXPECT_EQ(outcome.duplicate(), c.earlierMatches > 0) << c.message;
        EXPECT_EQ(errorLogMessage(outcome), c.message);
        EXPECT_EQ(errorLogLineCount(outcome), outcome.accepted() ? c.earlierMatches : 1u) << c.message;
        stored += outcome.accepted() ? 1 : 0;
        EXPECT_EQ(state.log.size(), stored) << c.message;
        if (outcome.accepted())
            EXPECT_EQ(state.log.back().isDuplicate, c.earlierMatches > 0 ? 1 : 0) << c.message;
    }
    EXPECT_FALSE(std::filesystem::exists("err.txt"));
}

}  // namespace
