#include "checker/results_json.h"

#include "checker/json_writer.h"
#include "checker/report_text.h"

namespace {

Json textOrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }

Json minuteOrNull(const std::optional<CivilTime>& time)
{
    return time ? Json(formatCivilTime(*time, "%Y-%m-%d %H:%M")) : Json();
}

Json contestOf(const ContestConfig& config)
{
    return {{"name", config.name},
            {"start", minuteOrNull(config.start)},
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

// The members of a QSO line, named once for all the lines.
const JsonKey kLineKey("line"), kTimeKey("time"), kBandKey("band"), kModeKey("mode"), kCallKey("call"),
    kReceivedKey("rcvd_exch"), kStatusKey("status"), kReasonKey("reason"), kCorrectCallKey("correct_call"),
    kCorrectExchangeKey("correct_exch"), kMatchedLogKey("matched_log"), kMatchedLineKey("matched_line");

// An empty text is null.
void writeQso(JsonWriter& json, const CrossCheck& check, const JudgedQso& judged, const QsoVerdict& verdict)
{
    const QsoRecord& qso = judged.qso;
    const LoggedTime time(judged, true);
    const std::string reason = judged.rejection ? judged.rejection->english() : std::string();
    const auto lineOrNull = [](int line) { return line > 0 ? FlatMember(kMatchedLineKey, line) : FlatMember(kMatchedLineKey, ""); };
    json.flatObject({{kLineKey, qso.line},
                     {kTimeKey, time.view()},
                     {kBandKey, qso.band()},
                     {kModeKey, qso.mode()},
                     {kCallKey, qso.workedCallsign()},
                     {kReceivedKey, qso.exchangeReceived()},
                     {kStatusKey, qsoStatusName(verdict.status)},
                     {kReasonKey, reason},
                     {kCorrectCallKey, verdict.correctCall()},
                     {kCorrectExchangeKey, verdict.correctExchange()},
                     {kMatchedLogKey, matchedCall(check, verdict)},
                     lineOrNull(verdict.matchedLine)});
}

// What the check found in a CHECKED log, but its QSO lines.
Json checkOf(const CheckedLog& checked)
{
    const LogScore& score = checked.score;
    return {{"qso_lines", checked.log.qsos.size()},
            {"counted_qsos", score.countedQsos},
            {"points", score.points},
            {"penalty_points", score.penaltyPoints},
            {"multipliers", score.multipliers},
            {"verified_score", score.verifiedScore},
            {"clock_offset_minutes", score.clockOffsetMinutes},
            {"offset_matches", score.offsetMatches},
            {"status_counts", statusCountsOf(score)},
            {"bands", bandsOf(score)}};
}

// The file and its header, but the check.
Json logOf(const CrossCheck& check, const CheckedLog& checked)
{
    const LogCheck& log = checked.log;
    return {{"callsign", textOrNull(log.callsign)},
            {"file", log.fileName},
            {"file_status", logStateName(log.state)},
            {"file_status_reason", log.stateReason ? Json(log.stateReason->english()) : Json()},
            {"categories", categoriesOf(log.header)},
            {"claimed_score", log.claimedScore ? Json(*log.claimedScore) : Json()},
            {"checklog", check.config.checklogs.count(log.callsign) > 0}};
}

// A log's object, its QSO lines written one by one: a tree of them would
// take a kilobyte a line.
void writeLog(JsonWriter& json, const CrossCheck& check, const CheckedLog& checked)
{
    json.openObject();
    json.members(logOf(check, checked));
    json.key("check");
    if (checked.log.state != LogState::Checked) {
        json.null();
    } else {
        json.openObject();
        json.members(checkOf(checked));
        json.key("qsos");
        json.openArray();
        for (std::size_t q = 0; q < checked.verdicts.size(); ++q)
            writeQso(json, check, checked.log.qsos[q], checked.verdicts[q]);
        json.close();
        json.close();
    }
    json.close();
}

}  // namespace

void writeResultsJson(const CrossCheck& check, FileWriter& file)
{
    std::string piece;
    JsonWriter json(piece);
    json.openObject();
    json.members({{"format", "zemrix-results"}, {"version", kResultsJsonVersion}, {"contest", contestOf(check.config)}});
    json.key("logs");
    json.openArray();
    for (const CheckedLog& checked : check.logs) {
        writeLog(json, check, checked);
        file.write(piece);
        piece.clear();
    }
    json.close();
    json.close();
    file.write(piece + "\n");
}
