#include "ui/multiplier_table.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

enum Column { BandLabel, CwTime, SsbTime, ExchangeReceived };

void clearRows(BandTable& table)
{
    for (std::size_t row = 0; row < table.size(); ++row)
        table[row] = {kTableBandNames[row], kNoTime, kNoTime, kNoExchange};
}

void noteQso(BandRow& row, const CInfo& qso)
{
    if (qso.mode == "CW")
        row[CwTime] = qso.time.format("%H:%M");
    else if (qso.mode == "SSB")
        row[SsbTime] = qso.time.format("%H:%M");
    row[ExchangeReceived] = qso.exchangeReceived;
}

}  // namespace

bool isPartialCallsign(const std::string& callsign)
{
    return callsign.size() == 1 || callsign.size() == 2;
}

void fillBandTable(BandTable& table, const QsoLog& log, const std::string& callsign)
{
    clearRows(table);
    if (callsign.empty())
        return;
    // The latest record in each mode, taken in log order, leaves a row as
    // every record of the station on that band would.
    for (std::size_t row = 0; row < table.size(); ++row) {
        for (const CInfo* qso : log.latestPerMode(callsign, kTableBandNames[row]))
            noteQso(table[row], *qso);
    }
}

int bandIndexFromFrequency(double frequencyHz)
{
    const double megahertz = std::trunc(frequencyHz / 1000000.0);
    if (!(megahertz >= 0.0 && megahertz <= 100.0))
        return -1;
    switch (static_cast<int>(megahertz)) {
    case 1: return 0;
    case 3: return 1;
    case 7: return 2;
    case 14: return 3;
    case 21: return 4;
    case 28: return 5;
    default: return -1;
    }
}

std::string multiplierWindowTitle(const std::string& contestYear, const std::string& callsign)
{
    if (callsign.empty())
        return "Mult";
    return "ZEMRIX " + contestYear + " worked with " + callsign;
}

std::string refreshMultiplierView(ContestState& state, const std::string& callsign, double frequencyHz)
{
    std::lock_guard<std::mutex> guard(state.lock);
    state.enteredCallsign = callsign;
    if (isPartialCallsign(callsign))
        return {};
    fillBandTable(state.bandTable, state.log, callsign);
    state.currentBandIndex = bandIndexFromFrequency(frequencyHz);
    return multiplierWindowTitle(state.contestYearText, callsign);
}

GridPicture takeGridPicture(ContestState& state)
{
    std::lock_guard<std::mutex> guard(state.lock);
    GridPicture picture;
    picture.callsign = state.enteredCallsign;
    picture.bandIndex = state.currentBandIndex;
    if (picture.callsign.empty()) {
        std::sort(state.multipliers.begin(), state.multipliers.end());
        picture.multipliers = state.multipliers;
    } else {
        picture.table = state.bandTable;
    }
    return picture;
}

std::vector<GridPoint> listFacePositions(std::size_t count, int right)
{
    constexpr int kCellWidth = 80, kLineHeight = 15, kLeft = 5, kTop = 15;
    std::vector<GridPoint> positions;
    positions.reserve(count);
    GridPoint at{kLeft, kTop};
    for (std::size_t i = 0; i < count; ++i) {
        positions.push_back(at);
        at.x += kCellWidth;
        if (at.x > right - kCellWidth) {
            at.y += kLineHeight;
            at.x = kLeft;
        }
    }
    return positions;
}

int tableLineHeight(int bottom)
{
    return bottom / 7;
}

int tableRowTop(int row, int bottom)
{
    return (row + 1) * tableLineHeight(bottom) + 10;
}

int highlightBottom(int row, int bottom)
{
    return (row + 2) * tableLineHeight(bottom);
}
