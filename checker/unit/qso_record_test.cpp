#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "checker/qso_record.h"

namespace {

// Texts of any length, empty ones among them, with any byte in them: the
// record packs them end to end, so a field must never take a neighbour's
// bytes.
std::string randomText(std::mt19937& random)
{
    const int length = std::uniform_int_distribution<int>(0, 3)(random) == 0 ? 0 : random() % 90;
    std::string text(static_cast<std::size_t>(length), '\0');
    for (char& c : text)
        c = static_cast<char>(random() % 256);
    return text;
}

LoggedQso randomQso(std::mt19937& random)
{
    LoggedQso qso;
    qso.line = static_cast<int>(random() % 2000000);
    qso.frequencyHz = static_cast<uint32_t>(random());
    const auto upTo = [&](int most) { return static_cast<int>(random() % (most + 1)); };
    qso.time = {upTo(9999), upTo(12), upTo(31), upTo(24), upTo(59), upTo(59)};
    for (std::string* field : {&qso.ownCallsign, &qso.workedCallsign, &qso.band, &qso.mode, &qso.rstSent,
                               &qso.exchangeSent, &qso.rstReceived, &qso.exchangeReceived})
        *field = randomText(random);
    return qso;
}

void expectSameQso(const LoggedQso& a, const LoggedQso& b)
{
    EXPECT_EQ(a.line, b.line);
    EXPECT_EQ(a.frequencyHz, b.frequencyHz);
    const auto fields = [](const CivilTime& t) { return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second); };
    EXPECT_EQ(fields(a.time), fields(b.time));
    for (auto field :
         {&LoggedQso::ownCallsign, &LoggedQso::workedCallsign, &LoggedQso::band, &LoggedQso::mode, &LoggedQso::rstSent,
          &LoggedQso::exchangeSent, &LoggedQso::rstReceived, &LoggedQso::exchangeReceived})
        EXPECT_EQ(a.*field, b.*field);
}

}  // namespace

TEST(QsoRecord, GivesBackEveryFieldAsReadAndCopiesWhole)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 500; ++round) {
        const LoggedQso qso = randomQso(random);
        const std::string country = randomText(random), text = randomText(random);
        QsoRecord record(qso, country, text);
        expectSameQso(record.logged(), qso);
        EXPECT_EQ(record.countryPrefix(), country);
        EXPECT_EQ(record.text(), text);

        QsoRecord copy(record);
        QsoRecord assigned;
        assigned = copy;
        const QsoRecord moved(std::move(record));
        for (const QsoRecord* other : std::initializer_list<const QsoRecord*>{&copy, &assigned, &moved}) {
            expectSameQso(other->logged(), qso);
            EXPECT_EQ(other->countryPrefix(), country);
            EXPECT_EQ(other->text(), text);
        }
    }
}

// The time is held in 16 bits of year and 8 of each other field: what
// fits is held exactly, what does not is refused, never cut.
TEST(QsoRecord, HoldsATimeToTheEdgeOfItsRoomAndRefusesOnePast)
{
    const struct {
        CivilTime time;
        bool fits;
    } cases[] = {
        {{32767, 255, 255, 255, 255, 255}, true}, {{-32768, 0, 0, 0, 0, 0}, true},  {{32768, 1, 1, 0, 0, 0}, false},
        {{-32769, 1, 1, 0, 0, 0}, false},         {{2025, 256, 1, 0, 0, 0}, false}, {{2025, 1, 1, 0, 0, 256}, false},
        {{2025, 1, 1, -1, 0, 0}, false},
    };
    for (const auto& c : cases) {
        LoggedQso qso;
        qso.time = c.time;
        if (!c.fits) {
            EXPECT_THROW(QsoRecord(qso, "", ""), std::out_of_range) << c.time.year << " " << c.time.month;
            continue;
        }
        const CivilTime held = QsoRecord(qso, "", "").time();
        EXPECT_EQ(std::tie(held.year, held.month, held.day, held.hour, held.minute, held.second),
                  std::tie(c.time.year, c.time.month, c.time.day, c.time.hour, c.time.minute, c.time.second));
    }
}

TEST(QsoRecord, AnUnreadableLineHasItsNumberAndTextAlone)
{
    for (const std::string text : {std::string(), std::string("QSO: 3510 CW garbage"), std::string(70000, 'x')}) {
        const QsoRecord record(7, text);
        EXPECT_EQ(record.line, 7);
        EXPECT_EQ(record.text(), text);
        for (std::string_view field : {record.ownCallsign(), record.workedCallsign(), record.band(), record.mode(),
                                       record.exchangeReceived(), record.countryPrefix()})
            EXPECT_TRUE(field.empty());
    }
    const QsoRecord empty;
    EXPECT_TRUE(empty.text().empty());
    EXPECT_TRUE(QsoRecord(empty).workedCallsign().empty());
}
