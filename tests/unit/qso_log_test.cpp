#include "contest/qso.h"

#include <gtest/gtest.h>

namespace {

CInfo record(const std::string& call)
{
    CInfo r;
    r.workedCallsign = call;
    return r;
}

// An eighth of the count at a time, clamped to 4..1024; exact room for the
// first record.
TEST(QsoLog, GrowsByAnEighthWithinItsBounds)
{
    QsoLog log;
    std::vector<std::size_t> capacities;
    for (int i = 0; i < 20000; ++i) {
        const std::size_t before = log.capacity();
        log.append(record("K1ABC"));
        if (log.capacity() != before)
            capacities.push_back(log.capacity());
    }
    ASSERT_GE(capacities.size(), 6u);
    EXPECT_EQ(capacities[0], 1u);
    EXPECT_EQ(capacities[1], 5u);
    EXPECT_EQ(capacities[2], 9u);
    EXPECT_EQ(capacities[3], 13u);
    for (std::size_t i = 1; i < capacities.size(); ++i) {
        const std::size_t step = capacities[i] - capacities[i - 1];
        const std::size_t eighth = capacities[i - 1] / 8;
        EXPECT_EQ(step, eighth < 4 ? 4 : eighth > 1024 ? 1024 : eighth) << i;
    }
    log.clear();
    EXPECT_EQ(log.capacity(), 0u);
}

TEST(QsoLog, RemovalKeepsTheOrderOfTheRest)
{
    QsoLog log;
    for (const char* call : {"A", "B", "C", "D"})
        log.append(record(call));
    EXPECT_TRUE(log.removeFirst({"B", "", ""}, OleDateTime()));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].workedCallsign, "A");
    EXPECT_EQ(log[1].workedCallsign, "C");
    EXPECT_EQ(log[2].workedCallsign, "D");
}

TEST(BandList, HoldsEachBandOnceInOrderOfFirstAppearance)
{
    BandList bands;
    for (const char* band : {"80m", "40m", "80m", "80M", "40m"})
        noteBand(bands, band);
    EXPECT_EQ(bands, (BandList{"80m", "40m", "80M"}));
}

}  // namespace
