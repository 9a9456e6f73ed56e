#include "ui/info_button_win32.h"

#include <string>
#include <vector>

#include "ui/multiplier_table.h"

namespace ui {

namespace {

constexpr COLORREF kListBackground = RGB(255, 250, 198);
constexpr COLORREF kTableBackground = RGB(255, 255, 198);
constexpr COLORREF kCurrentBand = RGB(198, 255, 255);

void fill(HDC dc, const RECT& rect, COLORREF colour)
{
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
}

void text(HDC dc, int x, int y, const std::string& s)
{
    ::TextOutA(dc, x, y, s.c_str(), static_cast<int>(s.size()));
}

void paintList(HDC dc, const RECT& rect, const GridPicture& picture)
{
    fill(dc, rect, kListBackground);
    if (picture.bandIndex < 0)
        return;
    ::SetBkMode(dc, TRANSPARENT);
    const std::vector<GridPoint> at = listFacePositions(picture.multipliers.size(), rect.right);
    for (std::size_t i = 0; i < at.size(); ++i)
        text(dc, at[i].x, at[i].y, picture.multipliers[i]);
}

void paintTable(HDC dc, const RECT& rect, const GridPicture& picture)
{
    fill(dc, rect, kTableBackground);
    const int b = picture.bandIndex;
    if (b >= 0) {
        const RECT highlight = {0, tableRowTop(b, rect.bottom), rect.right, highlightBottom(b, rect.bottom)};
        fill(dc, highlight, kCurrentBand);
    }
    ::SetBkMode(dc, TRANSPARENT);
    text(dc, 170, 0, picture.callsign);
    text(dc, 100, 18, "CW");
    text(dc, 180, 18, "SSB");
    text(dc, 260, 18, "NR");
    const int columns[] = {20, 100, 180, 270};
    for (int row = 0; row < static_cast<int>(picture.table.size()); ++row) {
        for (std::size_t column = 0; column < 4; ++column)
            text(dc, columns[column], tableRowTop(row, rect.bottom), picture.table[row][column]);
    }
}

}  // namespace

CMemDC::CMemDC(HDC target) : target_(target)
{
    if (::GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER)
        return;
    ::GetClipBox(target, &rect_);
    memory_ = ::CreateCompatibleDC(target);
    bitmap_ = ::CreateCompatibleBitmap(target, rect_.right - rect_.left, rect_.bottom - rect_.top);
    if (!memory_ || !bitmap_)
        return;
    previousBitmap_ = ::SelectObject(memory_, bitmap_);
    ::SetWindowOrgEx(memory_, rect_.left, rect_.top, nullptr);
    offScreen_ = true;
}

CMemDC::~CMemDC()
{
    if (offScreen_) {
        ::BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, memory_,
                 rect_.left, rect_.top, SRCCOPY);
        ::SelectObject(memory_, previousBitmap_);
    }
    if (bitmap_)
        ::DeleteObject(bitmap_);
    if (memory_)
        ::DeleteDC(memory_);
}

void CInfoButton::DrawItem(const DRAWITEMSTRUCT& item) const
{
    const GridPicture picture = takeGridPicture(state_);
    CMemDC memory(item.hDC);
    if (picture.callsign.empty())
        paintList(memory.dc(), item.rcItem, picture);
    else
        paintTable(memory.dc(), item.rcItem, picture);
}

}  // namespace ui
