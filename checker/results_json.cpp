#include "checker/results_json.h"

#include <nlohmann/json.hpp>

namespace {

// Keys in the order written, so that two runs give the same bytes and a
// person reading the file finds the contest first.
using Json = nlohmann::ordered_json;

Json textOrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }

Json minuteOrNull(const std::optional<CivilTime>& time)
{
    return time ? Json(formatCivilTime(*time, "%Y-%m-%d %H:%M")) : Json();
}

Json contestOf(const ContestConfig& config)
{
    return {{"start", minuteOrNull(config.start)},
            {"end", minuteOrNull(config.end)},
            {"tolerance_minutes", config.toleranceMinutes},
            {"nil_penalty", config.nilPenalty},
            {"busted_penalty", config.bustedPenalty},
            {"count_uniques", config.countUniques},
            {"min_logs_for_no_log_call", config.minLogsForNoLogCall},
            {"tie_break", config.tieBreak == ContestConfig::TieBreak::FewerLost ? "fewer_lost" : "none"}};
}

Json categoriesOf(const LogHeader& header)
{
    Json categories = Json::object();
    for (const auto& [tag, value] : header.categories)
        categories[tag.substr(tag.find('-') + 1)] = value;
    return categories;
}

Json bandsOf(const LogScore& score)
{
    Json bands = Json::array();
    for (const BandScore& band : score.bands)
        bands.push_back({{"band", band.band},
                         {"qsos", band.qsos},
                         {"cw", band.cw},
                         {"ssb", band.ssb},
                         {"points", band.points},
                         {"new_multipliers", band.newMultipliers}});
    return bands;
}

Json statusCountsOf(const LogScore& score)
{
    Json counts = Json::object();
    for (std::size_t s = 0; s < kQsoStatusCount; ++s)
        counts[qsoStatusName(static_cast<QsoStatus>(s))] = score.statusCounts[s];
    return counts;
}

Json qsoOf(const JudgedQso& judged, const QsoVerdict& verdict)
{
    const LoggedQso& qso = judged.qso;
    return {{"line", qso.line},
            {"time", judged.readable ? Json(formatCivilTime(qso.time, "%Y-%m-%d %H:%M")) : Json()},
            {"band", textOrNull(qso.band)},
            {"mode", textOrNull(qso.mode)},
            {"call", textOrNull(qso.workedCallsign)},
            {"rcvd_exch", textOrNull(qso.exchangeReceived)},
            {"status", qsoStatusName(verdict.status)},
            {"reason", judged.rejection ? Json(judged.rejection->english()) : Json()},
            {"correct_call", textOrNull(verdict.correctCall)},
            {"correct_exch", textOrNull(verdict.correctExchange)},
            {"matched_log", textOrNull(verdict.matchedLog)},
            {"matched_line", verdict.matchedLine > 0 ? Json(verdict.matchedLine) : Json()}};
}

// What the check found in a CHECKED log: null for any other file.
Json checkOf(const CheckedLog& checked)
{
    if (checked.log.state != LogState::Checked)
        return Json();
    const LogScore& score = checked.score;
    Json qsos = Json::array();
    for (std::size_t q = 0; q < checked.verdicts.size(); ++q)
        qsos.push_back(qsoOf(checked.log.qsos[q], checked.verdicts[q]));
    return {{"qso_lines", checked.log.qsos.size()},
            {"counted_qsos", score.countedQsos},
            {"points", score.points},
            {"penalty_points", score.penaltyPoints},
            {"multipliers", score.multipliers},
            {"verified_score", score.verifiedScore},
            {"clock_offset_minutes", score.clockOffsetMinutes},
            {"offset_matches", score.offsetMatches},
            {"status_counts", statusCountsOf(score)},
            {"bands", bandsOf(score)},
            {"qsos", std::move(qsos)}};
}

Json logOf(const CrossCheck& check, const CheckedLog& checked)
{
    const LogCheck& log = checked.log;
    return {{"callsign", textOrNull(log.callsign)},
            {"file", log.fileName},
            {"file_status", logStateName(log.state)},
            {"file_status_reason", log.stateReason ? Json(log.stateReason->english()) : Json()},
            {"categories", categoriesOf(log.header)},
            {"claimed_score", log.claimedScore ? Json(*log.claimedScore) : Json()},
            {"checklog", check.config.checklogs.count(log.callsign) > 0},
            {"check", checkOf(checked)}};
}

}  // namespace

std::string resultsJson(const CrossCheck& check)
{
    Json logs = Json::array();
    for (const CheckedLog& checked : check.logs)
        logs.push_back(logOf(check, checked));
    const Json results = {{"format", "zemrix-results"},
                          {"version", kResultsJsonVersion},
                          {"contest", contestOf(check.config)},
                          {"logs", std::move(logs)}};
    return results.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}
