#include "score/scoring.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace {

std::string sortKey(const std::string& band)
{
    constexpr std::size_t kKeyLength = 20;
    return band.size() >= kKeyLength ? band : std::string(kKeyLength - band.size(), '0') + band;
}

// A first occurrence at position 0 is the callsign's own prefix, not a hit.
bool holdsAfterFirstCharacter(const std::string& callsign, const char* text)
{
    const std::size_t at = callsign.find(text);
    return at != std::string::npos && at >= 1;
}

// As views, whose lengths are known: most texts differ in length and are
// told apart at once.  Every line of every log is scored.
bool isRussianPrefix(std::string_view prefix) { return prefix == "UA" || prefix == "UA2" || prefix == "UA9"; }

int32_t clamp32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// `seenKeys` views the records' own keys, which stay put for the pass;
// `multipliers`, when given, gets a copy of each new one.
template <typename Records>
BandScore scoreBand(const std::string& band, const Records& records, std::unordered_set<std::string_view>& seenKeys,
                    std::vector<std::string>* multipliers)
{
    BandScore row;
    row.band = band;
    int64_t points = 0;
    for (const CInfo& record : records) {
        if (record.band != band || record.workedCallsign.empty() || record.isDuplicate != 0)
            continue;
        ++row.qsos;
        if (record.mode == "CW")
            ++row.cw;
        else if (record.mode == "SSB")
            ++row.ssb;
        points += pointsFor(record);
        if (!record.multiplierKey().empty() && seenKeys.insert(record.multiplierKey()).second) {
            if (multipliers)
                multipliers->push_back(record.multiplierKey());
            ++row.newMultipliers;
        }
    }
    row.points = clamp32(points);
    return row;
}

}  // namespace

bool isContestStation(const std::string& callsign)
{
    const std::string_view call = callsign;
    return call == "QZ3ZBB" || call == "QZ3ZAA";
}

int pointsFor(const CInfo& record)
{
    const std::string& call = record.workedCallsign;
    if (isContestStation(call))
        return 5;
    if (isRussianPrefix(record.countryPrefix) &&
        (holdsAfterFirstCharacter(call, "2R") || holdsAfterFirstCharacter(call, "3R") ||
         holdsAfterFirstCharacter(call, "5R")))
        return 3;
    return 1;
}

void sortIntoRowOrder(BandList& bands)
{
    // A plain exchange sort: equal keys keep their order of first appearance.
    for (std::size_t i = 0; i + 1 < bands.size(); ++i)
        for (std::size_t j = i + 1; j < bands.size(); ++j)
            if (sortKey(bands[i]) < sortKey(bands[j]))
                std::swap(bands[i], bands[j]);
}

namespace {

// The pass over `records` in log order, `bands` in row order; the new
// multipliers go to `multiplierList` when one is given.
template <typename Records>
ScoreSheet scorePass(const Records& records, const BandList& bands, std::vector<std::string>* multiplierList)
{
    // Membership is tested against a private set: the grid painter may sort
    // the shared list between passes, and a log of thousands of stations
    // should not cost a search of every key seen so far.
    std::unordered_set<std::string_view> seenKeys;
    seenKeys.reserve(std::size(records));

    ScoreSheet sheet;
    int64_t qsos = 0, points = 0, multipliers = 0, cw = 0, ssb = 0;
    for (const std::string& band : bands) {
        BandScore row = scoreBand(band, records, seenKeys, multiplierList);
        qsos += row.qsos;
        points += row.points;
        multipliers += row.newMultipliers;
        cw += row.cw;
        ssb += row.ssb;
        sheet.rows.push_back(std::move(row));
    }
    sheet.qsos = clamp32(qsos);
    sheet.points = clamp32(points);
    sheet.multipliers = clamp32(multipliers);
    sheet.cw = clamp32(cw);
    sheet.ssb = clamp32(ssb);
    sheet.claimedScore = clamp32(static_cast<int64_t>(sheet.points) * sheet.multipliers);
    return sheet;
}

}  // namespace

ScoreSheet scoreLog(ContestState& state)
{
    std::lock_guard<std::mutex> guard(state.lock);
    sortIntoRowOrder(state.bands);
    state.multipliers.clear();
    const ScoreSheet sheet = scorePass(state.log, state.bands, &state.multipliers);
    state.claimedScore = sheet.claimedScore;
    return sheet;
}

ScoreSheet scoreRecords(const std::vector<CInfo>& records, BandList bands)
{
    sortIntoRowOrder(bands);
    return scorePass(records, bands, nullptr);
}
