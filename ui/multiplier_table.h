// What the multiplier window shows, worked out without a window: the band
// table of the station being typed, the band the host is tuned to, the
// window's title, and where the grid puts its texts.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "contest/state.h"

// Texts of a cell that no QSO filled.
inline constexpr char kNoTime[] = "   -";
inline constexpr char kNoExchange[] = " -";

// One or two characters typed: too little to look the station up, so the
// window keeps what it shows.
bool isPartialCallsign(const std::string& callsign);

// Clears every row's times and exchange, then fills them from the QSOs with
// `callsign` in log order, a later QSO overwriting an earlier one on the same
// band.  An empty callsign only clears.  Rows also get their band label, so a
// table that no contest reset has built yet still names its bands.
void fillBandTable(BandTable& table, const QsoLog& log, const std::string& callsign);

// The band table row for an operating frequency in Hz, or -1 when the
// frequency lies on none of the six bands (or is no number at all).
int bandIndexFromFrequency(double frequencyHz);

std::string multiplierWindowTitle(const std::string& contestYear, const std::string& callsign);

// One refresh of the window's data for what the host's entry field holds:
// takes `state.lock` itself.  Returns the window's new title, or an empty
// text when the callsign is partial and only the entered callsign changed.
std::string refreshMultiplierView(ContestState& state, const std::string& callsign, double frequencyHz);

// What one paint of the grid shows, copied under the state's lock so that
// drawing holds none: the band table while a callsign is entered, else the
// multiplier list, which is first sorted in place as the list face shows it.
struct GridPicture {
    std::string callsign;
    int bandIndex = -1;
    BandTable table;
    std::vector<std::string> multipliers;
};

GridPicture takeGridPicture(ContestState& state);

// The grid's geometry, in pixels of the grid.
struct GridPoint {
    int x = 0;
    int y = 0;
};

// Top-left corners of the list face's texts: 80-pixel cells flowing left to
// right from (5, 15), a new 15-pixel line whenever the next cell would pass
// `right` - 80.
std::vector<GridPoint> listFacePositions(std::size_t count, int right);

// Table face: seven lines share the height; band row `row` (0..5) starts at
// tableRowTop(row, bottom) and the highlight of the current band runs from
// there to highlightBottom.
int tableLineHeight(int bottom);
int tableRowTop(int row, int bottom);
int highlightBottom(int row, int bottom);
