// The multiplier window's grid: an owner-drawn button that paints, off
// screen, either the band table of the station being typed or the sorted
// list of multipliers worked so far.
#pragma once

#include <windows.h>

#include "contest/state.h"

namespace ui {

// An off-screen copy of a target context for one paint: drawing goes to a
// bitmap the size of the target's clip box, in the target's coordinates, and
// reaches the target in one block copy when the CMemDC goes.  A printer
// context, or one the bitmap cannot be made for, is drawn into directly.
class CMemDC {
public:
    explicit CMemDC(HDC target);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    HDC dc() const { return offScreen_ ? memory_ : target_; }

private:
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HDC target_;
    RECT rect_{};
    bool offScreen_ = false;
    HDC memory_ = nullptr;
};

class CInfoButton {
public:
    explicit CInfoButton(ContestState& state) : state_(state) {}

    // The whole grid, for every draw action and state.  Sorts the shared
    // multiplier list in place, under the state's lock.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    ContestState& state_;
};

}  // namespace ui
