#include "score/results.h"

namespace {

std::string number(int32_t value) { return std::to_string(value); }

std::string bandRow(const BandScore& row)
{
    // The band rows leave the "Mult" column empty: multipliers only add up
    // over the whole contest.
    return row.band + "\t " + number(row.qsos) + "\t " + number(row.points) + "\t\t " + number(row.cw) + "\t " +
           number(row.ssb) + "\r\n";
}

// Every record goes to the file, duplicates and all: the contest's checkers
// want the whole log.
std::string exportCabrillo(const ContestState& state, CCabrilloLog& cabrillo, Platform& platform)
{
    cabrillo.ClearQsoLines();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        for (const CInfo& record : state.log) {
            const char* mode = record.mode == "CW" ? "CW" : record.mode == "SSB" ? "PH" : "??";
            cabrillo.AddQsoLine(record.workedCallsign, record.frequencyKhz, mode, record.time, record.rstSent,
                                record.exchangeSent, record.rstReceived, record.exchangeReceived);
        }
    }
    return cabrillo.WriteLog(platform.files(), state.claimedScore, platform.hostVersionText());
}

}  // namespace

std::string resultsText(const ContestState& state, const ScoreSheet& sheet)
{
    std::string text = "\tZEMRIX CONTEST " + state.startDateText + "-" + state.endDateText + "\r\n" +
                       "\t\tContestant: " + state.ownCallsign + " \r\n" + "\tQSOs\tPoints\tMult\tCW\tSSB\r\n";
    for (const BandScore& row : sheet.rows)
        text += bandRow(row);
    text += "Total\t " + number(sheet.qsos) + "\t " + number(sheet.points) + "\t " + number(sheet.multipliers) +
            "\t " + number(sheet.cw) + "\t " + number(sheet.ssb) + "\r\n";
    text += "\r\nScore: " + number(sheet.points) + "*" + number(sheet.multipliers) + " = " +
            number(sheet.claimedScore) + "\r\n";
    return text;
}

Results buildResults(ContestState& state, CCabrilloLog& cabrillo, Platform& platform)
{
    const ScoreSheet sheet = scoreLog(state);
    Results results{resultsText(state, sheet), {}};
    platform.settings().writeNumber("Claimed", sheet.claimedScore);
    if (state.exportFlag != 0)
        results.exportMessage = exportCabrillo(state, cabrillo, platform);
    return results;
}
