#include "app/monthlayout.h"

#include <QList>
#include <QTransform>
#include <QVarLengthArray>

#include <algorithm>
#include <vector>

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

int MonthLabelLeft(const TTitleLayout& title, int textWidth, int titleWidth)
{
    return std::max(0, std::min(title.MonthLabel.x(), titleWidth - textWidth));
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

QImage DeviceCellMask(const QImage& mask, const QImage& mask2x, qreal ratio)
{
    if (mask.isNull() || ratio == 1.0)
        return mask;
    const bool fine = !mask2x.isNull() && mask2x.size() == mask.size() * 2;
    if (fine && ratio == 2.0)
        return mask2x;
    const QImage source = (fine ? mask2x : mask).convertToFormat(QImage::Format_RGB32);
    const QRgb key = source.pixel(0, 0);
    const QSize size(qRound(mask.width() * ratio), qRound(mask.height() * ratio));
    if (size.isEmpty())
        return {};
    // Smoothing blends key and shape at the edge; the blend, softened once more over about a
    // source pixel, says how much of each device pixel the shape covers, and each pixel goes to
    // the side that covers more of it. The edge then follows the shape's outline at the new
    // resolution instead of its steps. The shape's colour is taken at the middle of the mask.
    QRgb inside = source.pixel(source.width() / 2, source.height() / 2);
    if (inside == key)
        inside = key == qRgb(0, 0, 0) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    const auto distance = [](QRgb a, QRgb b) {
        return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
    };
    QImage scaled = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int w = size.width(), h = size.height();
    std::vector<float> cover(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb pixel = scaled.pixel(x, y);
            const int toKey = distance(pixel, key), toInside = distance(pixel, inside);
            cover[std::size_t(y) * w + x] = toKey + toInside == 0 ? 0.0f : float(toKey) / float(toKey + toInside);
        }
    const int reach = int(ratio / (fine ? 4 : 2));  // about one source pixel, in device pixels
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(scaled.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float sum = 0;
            int count = 0;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = std::clamp(x + dx, 0, w - 1), sy = std::clamp(y + dy, 0, h - 1);
                    sum += cover[std::size_t(sy) * w + sx];
                    ++count;
                }
            line[x] = sum * 2 > float(count) ? inside : key;
        }
    }
    // The key colour must stay at the top-left corner, where the shape is cut by it.
    scaled.setPixel(0, 0, key);
    return scaled;
}

QRegion DeviceWindowRegion(const QRegion& titleShape, const QRegion& deviceCellShape,
                           const QList<TDayCell>& days, qreal ratio)
{
    QRegion region = QTransform::fromScale(ratio, ratio).map(titleShape);
    if (deviceCellShape.isEmpty())
        return region;
    const QPoint shapeCorner = deviceCellShape.boundingRect().topLeft();
    for (const TDayCell& cell : days) {
        const QPoint origin = CellShapeOrigin(cell.Position);
        region += deviceCellShape.translated(QPoint(qRound(origin.x() * ratio), qRound(origin.y() * ratio)) -
                                             shapeCorner);
    }
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
