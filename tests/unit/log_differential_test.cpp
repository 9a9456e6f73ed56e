// The indexed QSO log against a plain model of it: an array scanned on every
// call, as the rules read.  Long random runs of add, remove, call check,
// multiplier-window refresh, results and reset go to both, and every output
// must agree: return values, err.txt bytes, warnings, band tables, the
// records themselves, results text, multiplier list and Cabrillo lines.
//
// The seed is printed; ZEMRIX_LOG_SEED=<n> replays one.  A failure prints
// the shortest failing run the shrinker finds within its budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>

#include "rules/acceptance.h"
#include "rules/call_check.h"
#include "rules/reset.h"
#include "score/results.h"
#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"
#include "ui/multiplier_table.h"

namespace {

// ---- operations ----------------------------------------------------------

enum class Kind { Add, Remove, Check, Refresh, Results, Reset };

struct Op {
    Kind kind = Kind::Add;
    QsoFields qso;      // Add, Remove; callsign, band and mode for Check and Refresh
    std::time_t now = 0;          // Check
    std::string ownCountryPrefix;  // Reset
};

std::string describe(const Op& op)
{
    const QsoFields& q = op.qso;
    const std::string fields = "'" + q.workedCallsign + "' " + q.band + " " + q.mode + " " +
                               (q.time.status == OleDateTime::Valid ? q.time.format("%Y-%m-%d %H%M")
                                                                    : "status " + std::to_string(q.time.status)) +
                               " sent '" + q.exchangeSent + "' rcvd '" + q.exchangeReceived + "' prefix " +
                               q.countryPrefix;
    switch (op.kind) {
    case Kind::Add: return "add " + fields;
    case Kind::Remove: return "remove " + fields;
    case Kind::Check: return "check '" + q.workedCallsign + "' " + q.band + " " + q.mode + " at " +
                             std::to_string(op.now / 3600 % 24) + "h";
    case Kind::Refresh: return "refresh '" + q.workedCallsign + "'";
    case Kind::Results: return "results";
    case Kind::Reset: return "reset, own prefix " + op.ownCountryPrefix;
    }
    return {};
}

// Few callsigns, bands, modes and hours, so that stations repeat, collide
// and get removed often; some callsigns differ only in case or are too long
// for a short string.
class OpMaker {
public:
    explicit OpMaker(uint32_t seed) : random_(seed) {}

    std::vector<Op> run(std::size_t length)
    {
        std::vector<Op> ops;
        std::vector<QsoFields> added;
        for (std::size_t i = 0; i < length; ++i)
            ops.push_back(next(added));
        return ops;
    }

private:
    Op next(std::vector<QsoFields>& added)
    {
        Op op;
        const int roll = pick(1000);
        if (roll < 1) {
            op.kind = Kind::Reset;
            op.ownCountryPrefix = oneOf({"UA", "DL", "UA9"});
            added.clear();
        } else if (roll < 7) {
            op.kind = Kind::Results;
        } else if (roll < 460) {
            op.kind = Kind::Add;
            op.qso = !added.empty() && pick(5) == 0 ? oneOf(added) : qso();
            added.push_back(op.qso);
        } else if (roll < 700) {
            op.kind = Kind::Remove;
            op.qso = !added.empty() && pick(3) != 0 ? oneOf(added) : qso();
            if (pick(30) == 0)
                op.qso.exchangeSent.clear();
        } else if (roll < 880) {
            op.kind = Kind::Check;
            op.qso = !added.empty() && pick(2) == 0 ? oneOf(added) : qso();
            op.now = 1434240000 + pick(2) * 86400 + hour() * 3600 + pick(3600);  // 14 or 15 June 2015
        } else {
            op.kind = Kind::Refresh;
            op.qso = !added.empty() && pick(2) == 0 ? oneOf(added) : qso();
            if (pick(8) == 0)
                op.qso.workedCallsign = op.qso.workedCallsign.substr(0, pick(3));
        }
        return op;
    }

    QsoFields qso()
    {
        const std::string call = pick(2) ? oneOf({"DL1ABC", "dl1abc", "UA3R3", "RA9RAB", "QZ3ZBB", "IT9ABC", "",
                                                  "OH2/DL1ABC/MM/QRP"})
                                         : "W" + std::to_string(pick(400));
        QsoFields qso = contestQso(call, oneOf({"80m", "40m", "80m", "40m", "6m", "80M", "20m", ""}),
                                   oneOf({"CW", "SSB", "CW", "SSB", "RTTY"}), time());
        qso.frequencyHz = static_cast<uint32_t>(pick(30000000));
        qso.countryPrefix = oneOf({"DL", "UA", "UA2", "UA9", "IT9", "K"});
        qso.exchangeReceived = oneOf({"12", "34", "12", "34", "12", "34", "12", ""});
        return qso;
    }

    OleDateTime time()
    {
        switch (pick(40)) {
        case 0: return OleDateTime::null();
        case 1: return {1.0, OleDateTime::Invalid};
        default: return utc(2015, 6, 14 + pick(2), hour(), oneOf({0, 5, 30, 59}));
        }
    }

    // Any hour of the day, the first and the last of them often enough
    // that a station is met again within one of them.
    int hour() { return pick(3) == 0 ? oneOf({0, 23}) : pick(24); }

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    template <typename T>
    T oneOf(std::initializer_list<T> items)
    {
        return items.begin()[pick(static_cast<int>(items.size()))];
    }
    std::string oneOf(std::initializer_list<const char*> items) { return oneOf<const char*>(items); }
    const QsoFields& oneOf(const std::vector<QsoFields>& items) { return items[pick(static_cast<int>(items.size()))]; }

    std::mt19937 random_;
};

// ---- the model -------------------------------------------------------------

struct ModelRecord {
    QsoFields qso;  // as added
    std::string countryPrefix;
    int32_t isDuplicate = 0;

    CInfo record() const
    {
        CInfo r;
        r.workedCallsign = qso.workedCallsign;
        r.countryPrefix = countryPrefix;
        r.band = qso.band;
        r.mode = qso.mode;
        r.rstReceived = qso.rstReceived;
        r.rstSent = qso.rstSent;
        r.exchangeReceived = qso.exchangeReceived;
        r.exchangeSent = qso.exchangeSent;
        r.frequencyKhz = static_cast<int32_t>(qso.frequencyHz / 1000);
        r.isDuplicate = isDuplicate;
        r.time = qso.time;
        return r;
    }
};

bool sameStation(const QsoFields& a, const QsoFields& b)
{
    return a.workedCallsign == b.workedCallsign && a.band == b.band && a.mode == b.mode;
}

struct ModelLog {
    std::vector<ModelRecord> records;
    BandList bands;
    BandTable table;

    // The acceptance rules with the duplicate scan; returns the result and
    // the err.txt lines.
    int add(const QsoFields& qso, std::vector<std::string>& lines)
    {
        const char* rejected[] = {"160m", "20m", "15m", "10m", "30m", "17m", "12m"};
        const char* message = std::find(std::begin(rejected), std::end(rejected), qso.band) != std::end(rejected)
                                  ? "   NO CONTEST BAND !!!"
                              : qso.mode != "CW" && qso.mode != "SSB" ? "   NO TEST MODE !!!"
                              : qso.exchangeReceived.empty() || qso.exchangeSent.empty() ? "   NO RX NUMBER !!!"
                                                                                          : nullptr;
        if (message) {
            lines.push_back(rejectLine(qso, message));
            return 0;
        }
        noteBand(bands, qso.band);
        ModelRecord added{qso, qso.countryPrefix == "IT9" || qso.countryPrefix == "IG9" ? "I" : qso.countryPrefix};
        for (const ModelRecord& earlier : records) {
            if (sameStation(earlier.qso, qso)) {
                added.isDuplicate = 1;
                lines.push_back(rejectLine(qso, "   DUPE !!!"));
            }
        }
        records.push_back(added);
        return 1;
    }

    int remove(const QsoFields& qso)
    {
        if (qso.exchangeReceived.empty() || qso.exchangeSent.empty())
            return 0;
        const auto match = std::find_if(records.begin(), records.end(), [&](const ModelRecord& r) {
            return sameStation(r.qso, qso) && r.qso.time == qso.time;
        });
        if (match != records.end())
            records.erase(match);
        return 1;
    }

    CallCheck check(const std::string& ownCountryPrefix, const QsoFields& typed, std::time_t now) const
    {
        const int hour = static_cast<int>(now % 86400 / 3600);
        const bool conflict = std::any_of(records.begin(), records.end(), [&](const ModelRecord& r) {
            return sameStation(r.qso, typed) && r.qso.time.hour() == hour;
        });
        if (!conflict)
            return {};
        const std::string last = records.empty() ? "" : records.back().countryPrefix;
        if (ownCountryPrefix == "UA" || last == "UA2" || last == "UA9")
            return {false, "QSO \xD1 " + typed.workedCallsign +
                               " \xC1\xD3\xC4\xC5\xD2 \xCF\xCE\xC2\xD2\xCE\xD0\xCD\xDB\xCC !!!"};
        return {false, "QSO WITH " + typed.workedCallsign + " WHILE IT IS IMPOSSIBLE !!!"};
    }

    void refresh(const std::string& callsign)
    {
        if (callsign.size() == 1 || callsign.size() == 2)
            return;
        for (std::size_t row = 0; row < table.size(); ++row)
            table[row] = {kTableBandNames[row], "   -", "   -", " -"};
        if (callsign.empty())
            return;
        for (const ModelRecord& r : records) {
            for (BandRow& row : table) {
                if (r.qso.band != row[0] || r.qso.workedCallsign != callsign)
                    continue;
                if (r.qso.mode == "CW")
                    row[1] = r.qso.time.format("%H:%M");
                else if (r.qso.mode == "SSB")
                    row[2] = r.qso.time.format("%H:%M");
                row[3] = r.qso.exchangeReceived;
            }
        }
    }

    void reset()
    {
        records.clear();
        bands.clear();
        for (std::size_t row = 0; row < table.size(); ++row)
            table[row] = {kTableBandNames[row], "-", "-", "-"};
    }
};

// ---- one run against both ----------------------------------------------------

// Every results build records the claimed score: settings in memory spare
// the test thousands of rewrites of the settings file.
class MemorySettings : public Settings {
public:
    std::string read(const char* key, const char* defaultValue) const override
    {
        const auto value = values_.find(key);
        return value == values_.end() ? defaultValue : value->second;
    }
    void write(const char* key, const std::string& value) override { values_[key] = value; }

private:
    std::map<std::string, std::string> values_;
};

class MemoryPlatform : public FakePlatform {
public:
    Settings& settings() override { return settings_; }

private:
    MemorySettings settings_;
};

std::string recordText(const CInfo& r)
{
    std::ostringstream text;
    text << std::setprecision(17) << r.workedCallsign << '|' << r.countryPrefix << '|' << r.band << '|' << r.mode << '|' << r.rstReceived
         << '|' << r.rstSent << '|' << r.exchangeReceived << '|' << r.exchangeSent << '|' << r.frequencyKhz << '|'
         << r.isDuplicate << '|' << r.time.status << '|' << r.time.date;
    return text.str();
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

class Comparison {
public:
    // The first disagreement, or nothing.
    std::optional<std::string> run(const std::vector<Op>& ops, std::size_t& failedAt)
    {
        for (failedAt = 0; failedAt < ops.size(); ++failedAt) {
            if (auto mismatch = apply(ops[failedAt]))
                return mismatch;
        }
        return std::nullopt;
    }

private:
    std::optional<std::string> apply(const Op& op)
    {
        switch (op.kind) {
        case Kind::Add: {
            std::vector<std::string> lines;
            const int expected = model_.add(op.qso, lines);
            if (auto mismatch = differ("result", addQso(state_, errors_, op.qso), expected))
                return mismatch;
            if (auto mismatch = differ("err.txt", newErrorBytes(), joined(lines)))
                return mismatch;
            return differ("log size", state_.log.size(), model_.records.size());
        }
        case Kind::Remove:
            if (auto mismatch = differ("result", removeQso(state_, op.qso), model_.remove(op.qso)))
                return mismatch;
            return differ("log size", state_.log.size(), model_.records.size());
        case Kind::Check: {
            platform_.now = op.now;
            const CallCheck check = checkCall(state_, platform_, op.qso.workedCallsign, op.qso.mode, op.qso.band);
            const CallCheck expected = model_.check(state_.ownCountryPrefix, op.qso, op.now);
            return differ("call check", std::to_string(check.mayWork) + check.warning,
                          std::to_string(expected.mayWork) + expected.warning);
        }
        case Kind::Refresh:
            refreshMultiplierView(state_, op.qso.workedCallsign, 3512000.0);
            model_.refresh(op.qso.workedCallsign);
            return differ("band table", tableText(state_.bandTable), tableText(model_.table));
        case Kind::Results:
            return compareResults();
        case Kind::Reset: {
            ResetArgs args{0, "OWN", utc(2015, 6, 14, 0, 0), utc(2015, 6, 15, 23, 59), op.ownCountryPrefix};
            errorFile_.close();
            std::remove("err.txt");  // see buildWithoutOverwrite()
            std::mutex contest;
            std::unique_lock<std::mutex> entry(contest);
            resetContest(state_, errors_, cabrillo_, platform_, args, entry);
            model_.reset();
            return differ("err.txt", newErrorBytes(), std::string(kErrorLogHeader) + "\r\n");
        }
        }
        return std::nullopt;
    }

    // The records one by one, then what the results build makes of them,
    // against the same build over a log appended afresh from the model.
    std::optional<std::string> compareResults()
    {
        std::vector<std::string> records, expectedRecords;
        for (auto at = state_.log.begin(); at != state_.log.end();)
            records.push_back(recordText(*at++));
        ContestState reference;
        for (const ModelRecord& r : model_.records) {
            reference.log.append(r.record());
            expectedRecords.push_back(recordText(reference.log.back()));
        }
        if (auto mismatch = differ("records", joined(records), joined(expectedRecords)))
            return mismatch;

        reference.bands = model_.bands;
        reference.startDateText = state_.startDateText;
        reference.endDateText = state_.endDateText;
        reference.ownCallsign = state_.ownCallsign;
        state_.exportFlag = reference.exportFlag = 1;
        CCabrilloLog referenceCabrillo;
        const std::string text = buildWithoutOverwrite(state_, cabrillo_);
        const std::string expected = buildWithoutOverwrite(reference, referenceCabrillo);
        model_.bands = reference.bands;  // in row order now, as the real list
        if (auto mismatch = differ("results text", text, expected))
            return mismatch;
        if (auto mismatch = differ("multiplier list", joined(state_.multipliers), joined(reference.multipliers)))
            return mismatch;
        return differ("Cabrillo lines", joined(cabrillo_.qsoLines()), joined(referenceCabrillo.qsoLines()));
    }

    // A file cut short on reopening is flushed to disk at once; a new one is
    // not.  Thousands of such flushes would make this test wait on the disk.
    std::string buildWithoutOverwrite(ContestState& state, CCabrilloLog& cabrillo)
    {
        std::remove((cabrillo.fileBaseName() + ".cbr").c_str());
        return buildResults(state, cabrillo, platform_).text;
    }

    // What err.txt gained since the last look, read through one open stream:
    // an open per QSO would cost more than the rest of the test.
    std::string newErrorBytes()
    {
        if (!errorFile_.is_open())
            errorFile_.open("err.txt", std::ios::binary);
        errorFile_.clear();
        return {std::istreambuf_iterator<char>(errorFile_), std::istreambuf_iterator<char>()};
    }

    static std::string tableText(const BandTable& table)
    {
        std::string text;
        for (const BandRow& row : table)
            text += row[0] + "|" + row[1] + "|" + row[2] + "|" + row[3] + "\n";
        return text;
    }

    template <typename T>
    static std::optional<std::string> differ(const char* what, const T& actual, const T& expected)
    {
        if (actual == expected)
            return std::nullopt;
        std::ostringstream text;
        text << what << ": indexed log gave\n" << actual << "\nthe model\n" << expected;
        return text.str();
    }

    ScratchDir dir_;
    ErrorLog errors_{portableFileSystem()};
    MemoryPlatform platform_;
    CCabrilloLog cabrillo_;
    ContestState state_;
    ModelLog model_;
    std::ifstream errorFile_;
};

// Drops ever smaller runs of operations while the failure stays, within a
// budget of replayed operations.
std::vector<Op> shrunk(std::vector<Op> ops)
{
    std::size_t budget = 2000000;
    for (std::size_t chunk = ops.size() / 2; chunk >= 1 && budget > 0; chunk /= 2) {
        for (std::size_t start = 0; start < ops.size() && budget > 0;) {
            std::vector<Op> candidate(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(start));
            candidate.insert(candidate.end(), ops.begin() + static_cast<std::ptrdiff_t>(std::min(start + chunk, ops.size())),
                             ops.end());
            std::size_t failedAt = 0;
            budget -= std::min(budget, candidate.size());
            if (!candidate.empty() && Comparison().run(candidate, failedAt)) {
                candidate.resize(failedAt + 1);
                ops = candidate;
            } else {
                start += chunk;
            }
        }
    }
    return ops;
}

uint32_t baseSeed()
{
    const char* chosen = std::getenv("ZEMRIX_LOG_SEED");
    return chosen ? static_cast<uint32_t>(std::strtoul(chosen, nullptr, 10)) : 20151406u;
}

TEST(IndexedLog, AgreesWithALinearScanOverRandomRuns)
{
    constexpr std::size_t kRuns = 20, kRunLength = 5000;
    const uint32_t base = baseSeed();
    std::cout << "seed " << base << " (runs use seed to seed+" << kRuns - 1 << ")\n";
    for (uint32_t run = 0; run < kRuns; ++run) {
        const uint32_t seed = base + run;
        const std::vector<Op> ops = OpMaker(seed).run(kRunLength);
        std::size_t failedAt = 0;
        const auto mismatch = Comparison().run(ops, failedAt);
        if (!mismatch)
            continue;
        std::ostringstream report;
        report << "seed " << seed << ", operation " << failedAt << ": " << *mismatch << "\nshortest failing run:\n";
        for (const Op& op : shrunk({ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(failedAt) + 1}))
            report << "  " << describe(op) << "\n";
        FAIL() << report.str();
    }
}

}  // namespace
