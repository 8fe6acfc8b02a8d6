// The month view's geometry: grid positions, title labels, shapes, icon pieces, paint guard.
#include "app/monthlayout.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace orvenna::app;

namespace {

constexpr int CellWidth = 37;
constexpr QRgb White = 0xffffffff;
constexpr QRgb Black = 0xff000000;

// The definition itself: one strip per maximal vertical run of non-key pixels per column.
QRegion ColumnRuns(const QImage& image, QRgb key)
{
    QRegion region;
    for (int x = 0; x < image.width(); ++x) {
        int y = 0;
        while (y < image.height()) {
            while (y < image.height() && image.pixel(x, y) == key)
                ++y;
            const int top = y;
            while (y < image.height() && image.pixel(x, y) != key)
                ++y;
            if (y > top)
                region += QRect(x, top, 1, y - top);
        }
    }
    return region;
}

QImage Mask(const QStringList& rows)
{
    QImage image(rows.first().size(), rows.size(), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            image.setPixel(x, y, rows[y][x] == u'#' ? Black : White);
    return image;
}

}  // namespace

class TMonthLayoutTest final : public QObject {
    Q_OBJECT

private slots:
    void monthGrid_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("firstWeekday");  // QDate's: 1 = Monday .. 7 = Sunday
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QPoint>("lastPosition");

        QTest::newRow("1st on a Sunday") << QDate(2024, 9, 1) << 7 << 30 << 5 << QPoint(36, 117);
        QTest::newRow("31 days from a Saturday") << QDate(2025, 3, 1) << 6 << 31 << 6 << QPoint(36, 145);
        QTest::newRow("28-day February from a Sunday") << QDate(2015, 2, 1) << 7 << 28 << 4 << QPoint(221, 89);
        QTest::newRow("leap February from a Thursday") << QDate(2024, 2, 1) << 4 << 29 << 5 << QPoint(147, 117);
        QTest::newRow("any day picks its month") << QDate(2025, 3, 17) << 6 << 31 << 6 << QPoint(36, 145);
        QTest::newRow("December into the new year") << QDate(2005, 12, 31) << 4 << 31 << 5 << QPoint(221, 117);
    }

    void monthGrid()
    {
        QFETCH(QDate, date);
        QFETCH(int, firstWeekday);
        QFETCH(int, days);
        QFETCH(int, rows);
        QFETCH(QPoint, lastPosition);
        QCOMPARE(QDate(date.year(), date.month(), 1).dayOfWeek(), firstWeekday);

        const TMonthGrid grid = MonthGrid(date, CellWidth);
        QCOMPARE(grid.Days.size(), days);
        QCOMPARE(grid.Rows, rows);
        QCOMPARE(grid.Days.back().Position, lastPosition);
        const TDayCell& first = grid.Days.front();
        QCOMPARE(first.Row, 0);
        QCOMPARE(first.Column, firstWeekday % 7);
        // Weeks run Sunday to Saturday: each day is one column on, wrapping to the next row.
        for (qsizetype i = 1; i < grid.Days.size(); ++i) {
            const TDayCell& before = grid.Days[i - 1];
            const TDayCell& cell = grid.Days[i];
            QCOMPARE(cell.Day, before.Day + 1);
            QCOMPARE(cell.Column, (before.Column + 1) % 7);
            QCOMPARE(cell.Row, before.Row + (cell.Column == 0 ? 1 : 0));
            QCOMPARE(cell.Position, QPoint(cell.Column * CellWidth - 1, cell.Row * 28 + 5));
        }
    }

    void sundaysAndSaturdaysAtTheEdges()
    {
        QCOMPARE(CellWidthFor(CalendarSize.width()), CellWidth);
        for (const TDayCell& cell : MonthGrid(QDate(2025, 3, 1), CellWidth).Days) {
            if (cell.Column == 0)
                QCOMPARE(cell.Position.x(), -1);
            if (cell.Column == 6)
                QCOMPARE(cell.Position.x(), 221);
        }
        QVERIFY(MonthGrid(QDate(), CellWidth).Days.isEmpty());
    }

    void titleLabels()
    {
        const TTitleLayout title = TitleLayout(CellWidth);
        const std::array<int, 7> xs = {20, 57, 94, 131, 168, 205, 242};
        for (int k = 0; k < 7; ++k)
            QCOMPARE(title.WeekdayLabels[k], QPoint(xs[k], 0));
        QCOMPARE(title.MonthLabel, QPoint(272, 10));
    }

    // A month name that fits keeps its place; a longer one ends at the title's right edge.
    void monthLabelStaysInside_data()
    {
        QTest::addColumn<int>("left");  // the grid's left offset (week numbers)
        QTest::addColumn<int>("textWidth");
        QTest::addColumn<int>("titleWidth");
        QTest::addColumn<int>("expected");
        QTest::newRow("Dec fits") << 0 << 22 << 296 << 272;
        QTest::newRow("ends on the edge") << 0 << 24 << 296 << 272;
        QTest::newRow("janv. runs over") << 0 << 31 << 296 << 265;
        QTest::newRow("with week numbers") << 24 << 31 << 320 << 289;
        QTest::newRow("wider than the title") << 0 << 400 << 296 << 0;
    }

    void monthLabelStaysInside()
    {
        QFETCH(int, left);
        QFETCH(int, textWidth);
        QFETCH(int, titleWidth);
        QFETCH(int, expected);
        TGridLayout layout;
        layout.WeekNumbers = left > 0;
        const TTitleLayout title = TitleLayout(CellWidth, layout);
        QCOMPARE(title.MonthLabel.x(), 272 + layout.Left());
        QCOMPARE(MonthLabelLeft(title, textWidth, titleWidth), expected);
    }

    void weekStartsAndWeekNumbers_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<int>("firstWeekday");  // 0 = Sunday .. 6
        QTest::addColumn<bool>("weekNumbers");
        QTest::addColumn<int>("firstColumn");   // of the 1st
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("weeks");  // of each row, when shown

        // March 2025 begins on a Saturday: six rows from Sunday or Monday, five from Saturday.
        QTest::newRow("Sunday first") << QDate(2025, 3, 1) << 0 << false << 6 << 6 << QList<int>{};
        QTest::newRow("Monday first") << QDate(2025, 3, 1) << 1 << true << 5 << 6
                                      << QList<int>{9, 10, 11, 12, 13, 14};
        QTest::newRow("Saturday first") << QDate(2025, 3, 1) << 6 << false << 0 << 5 << QList<int>{};
        // A Sunday row belongs to the week of its Monday to Saturday.
        QTest::newRow("Sunday rows, weeks")
            << QDate(2025, 3, 1) << 0 << true << 6 << 6 << QList<int>{9, 10, 11, 12, 13, 14};
        // 1 January 2021 is a Friday in week 53 of 2020; 29 December 2025 begins week 1 of 2026.
        QTest::newRow("week 53 of the year before")
            << QDate(2021, 1, 1) << 1 << true << 4 << 5 << QList<int>{53, 1, 2, 3, 4};
        QTest::newRow("week 1 of the year after")
            << QDate(2025, 12, 1) << 1 << true << 0 << 5 << QList<int>{49, 50, 51, 52, 1};
    }

    void weekStartsAndWeekNumbers()
    {
        QFETCH(QDate, month);
        QFETCH(int, firstWeekday);
        QFETCH(bool, weekNumbers);
        QFETCH(int, firstColumn);
        QFETCH(int, rows);
        QFETCH(QList<int>, weeks);

        const TGridLayout layout{firstWeekday, weekNumbers};
        const int left = weekNumbers ? WeekColumnWidth : 0;
        const TMonthGrid grid = MonthGrid(month, CellWidth, layout);
        QCOMPARE(grid.Days.front().Column, firstColumn);
        QCOMPARE(grid.Rows, rows);
        for (const TDayCell& cell : grid.Days) {
            const QDate date(month.year(), month.month(), cell.Day);
            QCOMPARE(cell.Column, (date.dayOfWeek() % 7 - firstWeekday + 7) % 7);
            QCOMPARE(cell.Position, QPoint(cell.Column * CellWidth - 1 + left, cell.Row * 28 + 5));
        }
        QList<int> shown;
        for (const TWeekCell& week : grid.Weeks) {
            shown << week.Week;
            // Each box stands left of its row's first icon, inside the window, clear of it.
            QCOMPARE(week.Box.top(), week.Row * 28 + 5 + 3);
            QVERIFY(week.Box.left() >= 0);
            QVERIFY(week.Box.right() < DayIconRect({left - 1, 0}).left());
        }
        QCOMPARE(shown, weeks);

        const TTitleLayout title = TitleLayout(CellWidth, layout);
        for (int k = 0; k < 7; ++k) {
            QCOMPARE(title.Weekdays[k], (firstWeekday + k) % 7);
            QCOMPARE(title.WeekdayLabels[k], QPoint(20 + k * CellWidth + left, 0));
        }
        QCOMPARE(title.MonthLabel, QPoint(272 + left, 10));
        QCOMPARE(CalendarWidth(weekNumbers), 296 + left);
        // The week boxes are part of the window's shape only when they show.
        QCOMPARE(WeekShapes(grid.Weeks).isEmpty(), !weekNumbers);
    }

    void regionFromBitmap_data()
    {
        QTest::addColumn<QImage>("mask");
        QTest::newRow("runs reach the bottom row") << Mask({".#...",
                                                           ".#..#",
                                                           ".#.#.",
                                                           "##.#."});
        QTest::newRow("only the bottom-right pixel") << Mask({"...", "...", "..#"});
        QTest::newRow("nothing but key") << Mask({"...", "..."});
        QTest::newRow("no key at all") << Mask({"###", "###"});
        QTest::newRow("equal rows in a band") << Mask({"#.#", "#.#", "###", "#.#"});

        QImage noise(41, 29, QImage::Format_RGB32);
        QRandomGenerator random(5);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, random.bounded(3) == 0 ? White : Black);
        QTest::newRow("noise") << noise;
    }

    void regionFromBitmap()
    {
        QFETCH(QImage, mask);
        const QRegion region = RegionFromBitmap(mask, White);
        QVERIFY((region ^ ColumnRuns(mask, White)).isEmpty());
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                QCOMPARE(region.contains(QPoint(x, y)), mask.pixel(x, y) != White);
    }

    void keyColourComesFromTheTopLeftPixel()
    {
        constexpr QRgb Magenta = 0xffff00ff;
        QImage picture(296, 32, QImage::Format_RGB32);
        picture.fill(Magenta);
        const QRect body(10, 4, 250, 20);
        for (int y = body.top(); y <= body.bottom(); ++y)
            for (int x = body.left(); x <= body.right(); ++x)
                picture.setPixel(x, y, 0xff2060a0);
        QCOMPARE(TitleShape(picture, 296), QRegion(body));
        QCOMPARE(TitleShape(QImage(), 296), QRegion(0, 0, 296, 32));

        // A picture larger than the title box shapes the box only.
        QImage large(400, 100, QImage::Format_RGB32);
        large.fill(Black);
        large.setPixel(0, 0, Magenta);
        QCOMPARE(TitleShape(large, 296), QRegion(0, 0, 296, 32) - QRegion(0, 0, 1, 1));
        QVERIFY(RegionFromBitmap(QImage(), White).isEmpty());
    }

    void cellShapesOnEveryDay()
    {
        // A mask whose shape does not start at its own (0, 0): its bounding box is placed.
        const QRegion cellShape(QRect(5, 7, 26, 26));
        const QRegion title(0, 0, 296, 32);
        const TMonthGrid grid = MonthGrid(QDate(2025, 3, 1), CellWidth);
        const QRegion region = WindowRegion(title, cellShape, grid.Days);
        QRegion expected = title;
        for (const TDayCell& cell : grid.Days) {
            const QPoint corner = cell.Position + QPoint(23, 35);
            QCOMPARE(CellShapeOrigin(cell.Position), corner);
            expected += QRect(corner, QSize(26, 26));
        }
        QCOMPARE(region, expected);
        QCOMPARE(WindowRegion(title, QRegion(), grid.Days), title);
    }

    // On a scaled screen each cell is cut at device resolution, at the device place of its
    // window position; the title box is scaled.
    void deviceCellShapesOnEveryDay()
    {
        const QRegion cellShape(QRect(3, 1, 52, 52));
        const QRegion title(0, 0, 296, 32);
        const TMonthGrid grid = MonthGrid(QDate(2025, 3, 1), CellWidth);
        QRegion expected(0, 0, 592, 64);
        for (const TDayCell& cell : grid.Days)
            expected += QRect(CellShapeOrigin(cell.Position) * 2, QSize(52, 52));
        QCOMPARE(DeviceWindowRegion(title, cellShape, grid.Days, 2.0), expected);
        QCOMPARE(DeviceWindowRegion(title, QRegion(), grid.Days, 2.0), QRegion(0, 0, 592, 64));
    }

    // The cell mask for a scaled screen: the one drawn for it, else one whose edge follows the
    // outline at the new resolution; never the 1x steps blown up.
    void deviceCellMask_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<bool>("withFineMask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1: the mask") << 1.0 << true << "mask";
        QTest::newRow("2: the fine mask") << 2.0 << true << "fine";
        QTest::newRow("2 without a fine mask: smoothed") << 2.0 << false << "smoothed";
        QTest::newRow("1.5 from the fine mask") << 1.5 << true << "smoothed";
        QTest::newRow("3 from the fine mask") << 3.0 << true << "smoothed";
    }
    void deviceCellMask()
    {
        QFETCH(qreal, ratio);
        QFETCH(bool, withFineMask);
        QFETCH(QString, expected);
        // A disc of radius 12 on white, and the same drawn at twice the resolution.
        const auto disc = [](int side) {
            QImage image(side, side, QImage::Format_RGB32);
            const double r = side / 2.0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    image.setPixel(x, y, std::hypot(x + 0.5 - r, y + 0.5 - r) <= r ? Black : White);
            return image;
        };
        const QImage mask = disc(24);
        const QImage fine = withFineMask ? disc(48) : QImage();
        const QImage device = DeviceCellMask(mask, fine, ratio);
        if (expected == "mask")
            QCOMPARE(device, mask);
        if (expected == "fine")
            QCOMPARE(device, fine);
        if (expected != "smoothed")
            return;
        const int side = qRound(24 * ratio);
        QCOMPARE(device.size(), QSize(side, side));
        // Against a disc drawn at that resolution, the smoothed edge is off by a few pixels;
        // the 1x steps blown up are off along the whole outline.
        const QImage exact = disc(side);
        const QImage blown = mask.scaled(side, side).convertToFormat(QImage::Format_RGB32);
        int off = 0, blownOff = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                off += (device.pixel(x, y) == White) != (exact.pixel(x, y) == White);
                blownOff += (blown.pixel(x, y) == White) != (exact.pixel(x, y) == White);
            }
        QVERIFY2(off * 4 < blownOff * 3, qPrintable(QStringLiteral("%1 pixels off, blown up %2").arg(off).arg(blownOff)));
        QCOMPARE(device.pixel(0, 0), White);
    }

    void dayIconsAndNumbers_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QRect>("icon");
        QTest::addColumn<QPoint>("number");
        QTest::newRow("day 9 on a Sunday") << 9 << QPoint(-1, 33) << QRect(19, 33, 32, 32) << QPoint(30, 36);
        QTest::newRow("day 10 on a Monday") << 10 << QPoint(36, 33) << QRect(56, 33, 32, 32) << QPoint(62, 36);
        QTest::newRow("day 31 in row 5") << 31 << QPoint(36, 145) << QRect(56, 145, 32, 32) << QPoint(62, 148);
    }

    void dayIconsAndNumbers()
    {
        QFETCH(int, day);
        QFETCH(QPoint, position);
        QFETCH(QRect, icon);
        QFETCH(QPoint, number);
        QCOMPARE(DayIconRect(position), icon);
        QCOMPARE(DayNumberOrigin(day, position), number);
    }

    void paintGuard_data()
    {
        QTest::addColumn<quint32>("last");
        QTest::addColumn<quint32>("now");
        QTest::addColumn<bool>("rebuilds");
        QTest::newRow("first paint after a refresh") << 0u << 150u << true;
        QTest::newRow("after a refresh, 25 days after boot") << 0u << 0x90000000u << true;
        QTest::newRow("199 ms later") << 1000u << 1199u << false;
        QTest::newRow("200 ms later") << 1000u << 1200u << true;
        QTest::newRow("same tick") << 5000u << 5000u << false;
        QTest::newRow("counter wrapped, 112 ms") << 0xffffffa0u << 0x10u << false;
        QTest::newRow("counter wrapped, 272 ms") << 0xffffff00u << 0x10u << true;
        QTest::newRow("idle for 30 days") << 1000u << 1000u + 30u * 86400000u << true;
    }

    void paintGuard()
    {
        QFETCH(quint32, last);
        QFETCH(quint32, now);
        QFETCH(bool, rebuilds);
        QCOMPARE(PaintRebuildsIcons(last, now), rebuilds);
    }
};

QTEST_MAIN(TMonthLayoutTest)
#include "test_monthlayout.moc"
