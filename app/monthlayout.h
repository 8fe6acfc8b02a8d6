#pragma once
// The geometry of the month view as pure functions: where each day of a month sits, where the
// title's labels go, the window's shape built from the cell mask, the wallpaper piece behind
// each day, and when a paint rebuilds the day icons. No windows are involved, so the calendar
// window and its tests share one source of these numbers.
//
// Coordinates are pixels. Day positions (X, Y) are in the day grid's client coordinates, the
// grid starting GridTop pixels below the window's top; shapes are in window coordinates.

#include <QDate>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QRgb>
#include <QSize>

#include <array>
#include <cstdint>

namespace orvenna::app {

inline constexpr QSize CalendarSize {296, 216};  // the window at its designed size
inline constexpr int GridTop = 32;               // the title box's height; the grid follows
inline constexpr int RowPitch = 28;
inline constexpr int IconSize = 32;              // day icons are IconSize x IconSize pieces
inline constexpr int PaintGuardMs = 200;

inline constexpr int WeekColumnWidth = 24;      // the narrow column of week numbers

// Column pitch of the grid for a window of that width: a whole eighth (37 at 296).
constexpr int CellWidthFor(int windowWidth) { return windowWidth / 8; }

// The window's width: the designed one, and the week-number column's more when it shows.
constexpr int CalendarWidth(bool weekNumbers)
{
    return CalendarSize.width() + (weekNumbers ? WeekColumnWidth : 0);
}

// How the month is laid out: the weekday of the first column (0 = Sunday .. 6 = Saturday)
// and whether the week numbers show left of it, which moves every day column right by
// WeekColumnWidth.
struct TGridLayout {
    int FirstWeekday = 0;
    bool WeekNumbers = false;
    constexpr int Left() const { return WeekNumbers ? WeekColumnWidth : 0; }
};

struct TDayCell {
    int Day = 0;     // 1 .. days in the month
    int Column = 0;  // 0 = the first weekday .. 6
    int Row = 0;     // week row of the month, from 0
    QPoint Position; // (Column x cellWidth - 1 + Left, Row x RowPitch + 5)
};

struct TWeekCell {
    int Week = 0;  // ISO 8601 week of the row's middle day, the week most of its days are in
    int Row = 0;
    QRect Box;     // the number's box in the grid, beside the row's first icon
};

struct TMonthGrid {
    QList<TDayCell> Days;    // one cell per day of the month, in day order
    QList<TWeekCell> Weeks;  // one per row when the week numbers show, else none
    int Rows = 0;            // 4 to 6
};

// The cells of the month that contains the date; days of the neighbouring months get none.
// An invalid date gives an empty grid.
TMonthGrid MonthGrid(QDate dayOfMonth, int cellWidth, TGridLayout layout = {});

struct TTitleLayout {
    std::array<QPoint, 7> WeekdayLabels;  // top-left of each column's label, in the title box
    std::array<int, 7> Weekdays;          // the weekday each label names, 0 = Sunday
    QPoint MonthLabel;                    // top-left of the month's short name
};

TTitleLayout TitleLayout(int cellWidth, TGridLayout layout = {});

// Where the month's short name of textWidth pixels starts in a title titleWidth wide: at its
// place in the layout, or as far left as it takes to end inside the title when a longer
// abbreviation (another language's "janv.", "sept.") would run past the right edge.
int MonthLabelLeft(const TTitleLayout& title, int textWidth, int titleWidth);

// The shape of the week numbers' boxes, in window coordinates.
QRegion WeekShapes(const QList<TWeekCell>& weeks);

// The pixels of the image whose colour differs from the key colour, taken as the maximal
// vertical runs of each column; a run that reaches the bottom row includes that row. Colours
// compare with their alpha. An empty image gives an empty region.
QRegion RegionFromBitmap(const QImage& image, QRgb key);

// Shape of a picture cut by the colour of its top-left pixel.
QRegion RegionFromPicture(const QImage& picture);

// The title's part of the window shape: the title box, or the title picture without the
// colour of its top-left pixel when a picture is given (a null picture: the title box). The
// shape never reaches beyond the title box, whatever the picture's size.
QRegion TitleShape(const QImage& titlePicture, int windowWidth);

// Where the cell shape goes for a day at grid position (X, Y): the top-left corner of the
// shape's bounding box lands here, in window coordinates.
constexpr QPoint CellShapeOrigin(QPoint position)
{
    return {position.x() + 23, position.y() + 35};
}

// The window shape: the title shape plus the cell shape placed for every day. An empty cell
// shape (a missing mask) leaves the title shape alone.
QRegion WindowRegion(const QRegion& titleShape, const QRegion& cellShape,
                     const QList<TDayCell>& days);

// The cell mask for a screen at ratio device pixels per pixel, drawn at that resolution: mask
// itself at 1; at 2 the mask drawn at twice the resolution (mask2x, when it is twice mask's
// size); at any other ratio the finer of the two scaled smoothly to mask's size times ratio and
// cut back into key and shape by the nearer colour. Null without a mask.
QImage DeviceCellMask(const QImage& mask, const QImage& mask2x, qreal ratio);

// The window shape in device pixels at ratio: titleShape (window coordinates) scaled up, and
// deviceCellShape (a shape from DeviceCellMask) placed for every day at the device position of
// its CellShapeOrigin. An empty cell shape leaves the title shape alone.
QRegion DeviceWindowRegion(const QRegion& titleShape, const QRegion& deviceCellShape,
                           const QList<TDayCell>& days, qreal ratio);

// The day's wallpaper piece, in grid coordinates: IconSize square at (X + 20, Y). The grid
// draws the piece at that same place, so it lines up with the wallpaper around it.
constexpr QRect DayIconRect(QPoint position)
{
    return {position.x() + 20, position.y(), IconSize, IconSize};
}

// Top-left of a day's number inside the grid: centred over the icon by a fixed offset of
// 5 pixels for one digit and 10 for two, 3 pixels below the cell's top.
QPoint DayNumberOrigin(int day, QPoint position);

// Whether a paint at tick count `now` rebuilds the day icons, given the tick of the last
// rebuild. A last tick of 0 means "reset by a refresh": always rebuild. Otherwise rebuild when
// PaintGuardMs or more have passed; the difference is taken modulo 2^32, so the tick counter
// may wrap around between the two paints.
bool PaintRebuildsIcons(std::uint32_t lastPaintTick, std::uint32_t now);

}  // namespace orvenna::app
