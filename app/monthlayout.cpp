#include "app/monthlayout.h"

#include <QList>
#include <QVarLengthArray>

#include <algorithm>

namespace orvenna::app {

namespace {

// The column of a date when the first column is firstWeekday (both 0 = Sunday .. 6; QDate
// counts Monday = 1 .. Sunday = 7).
int WeekdayColumn(QDate date, int firstWeekday)
{
    return (date.dayOfWeek() % 7 - firstWeekday + 7) % 7;
}

// The horizontal runs [x0, x1) of non-key pixels of one row.
QVarLengthArray<std::pair<int, int>, 16> RowRuns(const QRgb* row, int width, QRgb key)
{
    QVarLengthArray<std::pair<int, int>, 16> runs;
    int x = 0;
    while (x < width) {
        while (x < width && row[x] == key)
            ++x;
        const int start = x;
        while (x < width && row[x] != key)
            ++x;
        if (x > start)
            runs.append({start, x});
    }
    return runs;
}

}  // namespace

TMonthGrid MonthGrid(QDate dayOfMonth, int cellWidth, TGridLayout layout)
{
    TMonthGrid grid;
    if (!dayOfMonth.isValid())
        return grid;
    const QDate first(dayOfMonth.year(), dayOfMonth.month(), 1);
    const int firstWeekday = ((layout.FirstWeekday % 7) + 7) % 7;
    const int startColumn = WeekdayColumn(first, firstWeekday);
    const int days = first.daysInMonth();
    grid.Days.reserve(days);
    for (int d = 1; d <= days; ++d) {
        TDayCell cell;
        cell.Day = d;
        cell.Column = WeekdayColumn(first.addDays(d - 1), firstWeekday);
        cell.Row = (startColumn + d - 1) / 7;
        cell.Position = {cell.Column * cellWidth - 1 + layout.Left(), cell.Row * RowPitch + 5};
        grid.Days.append(cell);
    }
    grid.Rows = grid.Days.back().Row + 1;
    if (layout.WeekNumbers) {
        for (int row = 0; row < grid.Rows; ++row) {
            const QDate middle = first.addDays(row * 7 - startColumn + 3);
            // The box spans the cell shape's height, where the wallpaper piece of a day would
            // lie in a column left of the first one.
            const QRect box(DayIconRect({-1, row * RowPitch + 5}).left(), row * RowPitch + 5 + 3,
                            WeekColumnWidth - 4, IconSize - 6);
            grid.Weeks.append({middle.weekNumber(), row, box});
        }
    }
    return grid;
}

TTitleLayout TitleLayout(int cellWidth, TGridLayout layout)
{
    TTitleLayout title;
    for (int k = 0; k < 7; ++k) {
        title.WeekdayLabels[k] = {20 + k * cellWidth + layout.Left(), 0};
        title.Weekdays[k] = (layout.FirstWeekday + k) % 7;
    }
    title.MonthLabel = {6 * cellWidth + 50 + layout.Left(), 10};
    return title;
}

QRegion WeekShapes(const QList<TWeekCell>& weeks)
{
    QRegion region;
    for (const TWeekCell& week : weeks)
        region += week.Box.translated(0, GridTop);
    return region;
}

// The set of pixels is the union of each column's vertical runs. It is assembled here from
// each row's horizontal runs instead, with equal neighbouring rows merged into one band:
// the same pixels, in the banded order QRegion keeps internally, which it takes in one step
// where adding thousands of column strips one by one would cost quadratic time.
QRegion RegionFromBitmap(const QImage& image, QRgb key)
{
    if (image.isNull())
        return {};
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const int width = pixels.width();
    QList<QRect> rects;
    QVarLengthArray<std::pair<int, int>, 16> bandRuns;
    int bandTop = 0;
    const auto closeBand = [&](int bandBottom) {
        for (const auto& [x0, x1] : bandRuns)
            rects.append(QRect(QPoint(x0, bandTop), QPoint(x1 - 1, bandBottom - 1)));
    };
    for (int y = 0; y < pixels.height(); ++y) {
        auto runs = RowRuns(reinterpret_cast<const QRgb*>(pixels.constScanLine(y)), width, key);
        if (runs == bandRuns)
            continue;
        closeBand(y);
        bandRuns = std::move(runs);
        bandTop = y;
    }
    closeBand(pixels.height());  // the last band runs through the bottom row
    QRegion region;
    region.setRects(rects.constData(), static_cast<int>(rects.size()));
    return region;
}

QRegion RegionFromPicture(const QImage& picture)
{
    if (picture.isNull())
        return {};
    return RegionFromBitmap(picture, picture.convertToFormat(QImage::Format_ARGB32).pixel(0, 0));
}

QRegion TitleShape(const QImage& titlePicture, int windowWidth)
{
    const QRegion titleBox(0, 0, windowWidth, GridTop);
    if (titlePicture.isNull())
        return titleBox;
    // A picture larger than the box would otherwise open the window over the grid's gaps.
    return RegionFromPicture(titlePicture) & titleBox;
}

QRegion WindowRegion(const QRegion& titleShape, const QRegion& cellShape,
                     const QList<TDayCell>& days)
{
    QRegion region = titleShape;
    if (cellShape.isEmpty())
        return region;
    const QPoint shapeCorner = cellShape.boundingRect().topLeft();
    for (const TDayCell& cell : days)
        region += cellShape.translated(CellShapeOrigin(cell.Position) - shapeCorner);
    return region;
}

QPoint DayNumberOrigin(int day, QPoint position)
{
    const QRect icon = DayIconRect(position);
    // The centre as the icon's left and right edges give it (right edge exclusive).
    const int centre = (icon.left() + icon.left() + IconSize) / 2;
    return {centre - (day < 10 ? 5 : 10), position.y() + 3};
}

bool PaintRebuildsIcons(std::uint32_t lastPaintTick, std::uint32_t now)
{
    // A signed difference would turn negative once the counter passes 2^31 (24.8 days after
    // boot) and then no paint after a refresh would rebuild: the reset is checked by itself.
    return lastPaintTick == 0 || now - lastPaintTick >= static_cast<std::uint32_t>(PaintGuardMs);
}

}  // namespace orvenna::app
