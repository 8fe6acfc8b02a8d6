// The popup's arithmetic: edges, placement, room, slide steps, centring, colours, pictures.

#include "popup/popupgeometry.h"

#include <QTest>

#include <vector>

using namespace orvenna::popup;

Q_DECLARE_METATYPE(TTaskBarEdge)
Q_DECLARE_METATYPE(std::optional<QRect>)

namespace {

const QRect Work(0, 0, 1024, 738);   // a screen of 1024 x 768 less a 30-pixel bottom panel
const QSize Popup(148, 121);

// Runs slide steps from the sliver until one finishes; returns every geometry passed through.
template <typename Step>
std::vector<QRect> Run(QRect geometry, Step step)
{
    std::vector<QRect> seen;
    for (int guard = 0; guard < 1000; ++guard) {
        const TSlideStep next = step(geometry);
        seen.push_back(next.Geometry);
        if (next.Finished)
            return seen;
        geometry = next.Geometry;
    }
    return seen;
}

}  // namespace

class TPopupGeometryTest final : public QObject {
    Q_OBJECT
private slots:
    void TaskBarEdge_data();
    void TaskBarEdge();
    void Placement_data();
    void Placement();
    void RoomForSixPopups_data();
    void RoomForSixPopups();
    void SlideSteps_data();
    void SlideSteps();
    void SlideAlongTheSides();
    void CentredOffsetRoundsHalvesToEven();
    void ButtonRowWidths_data();
    void ButtonRowWidths();
    void BlendColor_data();
    void BlendColor();
    void GradientRunsFromFirstColour();
    void PicturesKeepTheirCornerColourOut();
    void TilesCoverTheCanvas();
};

void TPopupGeometryTest::TaskBarEdge_data()
{
    QTest::addColumn<std::optional<QRect>>("taskBar");
    QTest::addColumn<TTaskBarEdge>("edge");
    QTest::newRow("left") << std::optional(QRect(0, 0, 48, 768)) << TTaskBarEdge::Left;
    QTest::newRow("top") << std::optional(QRect(0, 0, 1024, 30)) << TTaskBarEdge::Top;
    QTest::newRow("right") << std::optional(QRect(976, 0, 48, 768)) << TTaskBarEdge::Right;
    QTest::newRow("bottom") << std::optional(QRect(0, 738, 1024, 30)) << TTaskBarEdge::Bottom;
    QTest::newRow("none counts as bottom") << std::optional<QRect>() << TTaskBarEdge::Bottom;
}

void TPopupGeometryTest::TaskBarEdge()
{
    QFETCH(std::optional<QRect>, taskBar);
    QFETCH(TTaskBarEdge, edge);
    QCOMPARE(TaskBarEdgeOf(taskBar), edge);
}

void TPopupGeometryTest::Placement_data()
{
    QTest::addColumn<TTaskBarEdge>("edge");
    QTest::addColumn<QRect>("work");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QPoint>("corner");
    QTest::newRow("bottom base") << TTaskBarEdge::Bottom << Work << 0 << QPoint(1024 - 148 - 16, 738 - 2 - 121);
    QTest::newRow("bottom second") << TTaskBarEdge::Bottom << Work << 123 << QPoint(860, 615 - 123);
    QTest::newRow("right") << TTaskBarEdge::Right << QRect(0, 0, 976, 768) << 0 << QPoint(976 - 164, 768 - 123);
    QTest::newRow("top base") << TTaskBarEdge::Top << QRect(0, 30, 1024, 738) << 0 << QPoint(860, 32);
    QTest::newRow("top second, lower") << TTaskBarEdge::Top << QRect(0, 30, 1024, 738) << 123 << QPoint(860, 155);
    QTest::newRow("left") << TTaskBarEdge::Left << QRect(48, 0, 976, 768) << 0 << QPoint(64, 768 - 123);
}

void TPopupGeometryTest::Placement()
{
    QFETCH(TTaskBarEdge, edge);
    QFETCH(QRect, work);
    QFETCH(int, offset);
    QFETCH(QPoint, corner);
    QCOMPARE(PopupPosition(edge, work, Popup, 16, 2, offset), corner);
}

void TPopupGeometryTest::RoomForSixPopups_data()
{
    QTest::addColumn<TTaskBarEdge>("edge");
    QTest::addColumn<QRect>("work");
    QTest::newRow("bottom") << TTaskBarEdge::Bottom << Work;
    QTest::newRow("left") << TTaskBarEdge::Left << Work;
    QTest::newRow("right") << TTaskBarEdge::Right << Work;
    QTest::newRow("top, measured from the panel") << TTaskBarEdge::Top << QRect(0, 30, 1024, 738);
}

void TPopupGeometryTest::RoomForSixPopups()
{
    QFETCH(TTaskBarEdge, edge);
    QFETCH(QRect, work);
    for (int offset = 0; offset <= 615; offset += 123)
        QVERIFY2(HasRoom(edge, work, offset, 121, 2), qPrintable(QString::number(offset)));
    QVERIFY(!HasRoom(edge, work, 738, 121, 2));
}

void TPopupGeometryTest::SlideSteps_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<QList<int>>("heightsIn");
    QTest::addColumn<QList<int>>("heightsOut");
    QList<int> in;
    for (int h = 10; h <= 118; h += 9)
        in << h;
    in << 121;
    QList<int> out;
    for (int h = 112; h >= 4; h -= 9)
        out << h;
    QTest::newRow("speed 9") << 9 << in << out;
    QTest::newRow("speed 50") << 50 << QList<int>{51, 101, 121} << QList<int>{71, 21};
}

void TPopupGeometryTest::SlideSteps()
{
    QFETCH(int, speed);
    QFETCH(QList<int>, heightsIn);
    QFETCH(QList<int>, heightsOut);
    const QRect full(QPoint(860, 615 - 123), Popup);  // second in the stack
    const TSlideAnchor anchor{Work, 16, 2, 123};
    const QRect sliver = Sliver(TTaskBarEdge::Bottom, full);
    QCOMPARE(sliver, QRect(860, full.bottom(), 148, 1));

    const std::vector<QRect> in = Run(sliver, [&](const QRect& g) {
        return SlideInStep(TTaskBarEdge::Bottom, g, Popup, speed, anchor);
    });
    QCOMPARE(int(in.size()), heightsIn.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        QCOMPARE(in[i].height(), heightsIn[int(i)]);
        QCOMPARE(in[i].bottom(), full.bottom());  // the base never moves
    }
    QCOMPARE(in.back(), full);

    const std::vector<QRect> out = Run(full, [&](const QRect& g) {
        return SlideOutStep(TTaskBarEdge::Bottom, g, speed);
    });
    QCOMPARE(int(out.size()), heightsOut.size() + 1);  // the last step closes
    for (int i = 0; i < heightsOut.size(); ++i) {
        QCOMPARE(out[std::size_t(i)].height(), heightsOut[i]);
        QCOMPARE(out[std::size_t(i)].bottom(), full.bottom());
    }
}

void TPopupGeometryTest::SlideAlongTheSides()
{
    const TSlideAnchor anchor{QRect(48, 0, 976, 768), 16, 2, 0};
    const QRect left(QPoint(64, 645), Popup);
    std::vector<QRect> in = Run(Sliver(TTaskBarEdge::Left, left), [&](const QRect& g) {
        return SlideInStep(TTaskBarEdge::Left, g, Popup, 9, anchor);
    });
    QCOMPARE(in.front(), QRect(64, 645, 10, 121));  // grows to the right from the panel
    QCOMPARE(in.back(), left);

    const TSlideAnchor rightAnchor{QRect(0, 0, 976, 768), 16, 2, 0};
    const QRect right(QPoint(812, 645), Popup);
    in = Run(Sliver(TTaskBarEdge::Right, right), [&](const QRect& g) {
        return SlideInStep(TTaskBarEdge::Right, g, Popup, 9, rightAnchor);
    });
    QCOMPARE(in.front(), QRect(right.right() - 9, 645, 10, 121));  // grows to the left
    QCOMPARE(in.back(), right);
    const std::vector<QRect> out = Run(right, [](const QRect& g) {
        return SlideOutStep(TTaskBarEdge::Right, g, 9);
    });
    QCOMPARE(out.front(), QRect(821, 645, 139, 121));

    const QRect top(QPoint(860, 32), Popup);
    in = Run(Sliver(TTaskBarEdge::Top, top), [&](const QRect& g) {
        return SlideInStep(TTaskBarEdge::Top, g, Popup, 50, anchor);
    });
    QCOMPARE(in.size(), std::size_t(3));
    QCOMPARE(in.back(), top);
}

void TPopupGeometryTest::CentredOffsetRoundsHalvesToEven()
{
    QCOMPARE(CentredOffset(QSize(142, 115), QSize(127, 13)), QPoint(8, 51));   // 7.5, 51
    QCOMPARE(CentredOffset(QSize(142, 115), QSize(127, 26)), QPoint(8, 44));   // 44.5 -> 44
    QCOMPARE(CentredOffset(QSize(142, 115), QSize(127, 20)), QPoint(8, 48));   // 47.5 -> 48
    QCOMPARE(CentredOffset(QSize(10, 10), QSize(13, 15)), QPoint(-2, -2));     // -1.5, -2.5
}

void TPopupGeometryTest::ButtonRowWidths_data()
{
    QTest::addColumn<std::vector<int>>("needed");
    QTest::addColumn<int>("room");
    QTest::addColumn<std::vector<int>>("widths");
    // An alert's row: 146 pixels less three gaps of 2.
    QTest::newRow("captions that fit keep equal shares") << std::vector{52, 60} << 140
                                                         << std::vector{70, 70};
    QTest::newRow("a long caption takes room from the short one")
        << std::vector{95, 60} << 140 << std::vector{85, 55};
    QTest::newRow("an odd pixel goes to the last button") << std::vector{40, 40} << 141
                                                          << std::vector{70, 71};
    QTest::newRow("shares add up to the row") << std::vector{10, 200, 10} << 100
                                              << std::vector{4, 91, 5};
    QTest::newRow("no buttons") << std::vector<int>{} << 140 << std::vector<int>{};
}

void TPopupGeometryTest::ButtonRowWidths()
{
    QFETCH(std::vector<int>, needed);
    QFETCH(int, room);
    QFETCH(std::vector<int>, widths);
    QCOMPARE(orvenna::popup::ButtonRowWidths(needed, room), widths);
}

void TPopupGeometryTest::BlendColor_data()
{
    QTest::addColumn<QColor>("c1");
    QTest::addColumn<QColor>("c2");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("count");
    QTest::addColumn<QColor>("expected");
    const QColor blue(0x99, 0xCC, 0xFF);
    const QColor white(Qt::white);
    QTest::newRow("first") << blue << white << 1 << 109 << blue;
    QTest::newRow("last") << blue << white << 109 << 109 << white;
    QTest::newRow("middle") << blue << white << 55 << 109 << QColor(0xCC, 0xE6, 0xFF);
    QTest::newRow("half rounds up") << QColor(0, 0, 0) << QColor(1, 1, 1) << 2 << 3 << QColor(1, 1, 1);
    QTest::newRow("half rounds down") << QColor(1, 1, 1) << QColor(0, 0, 0) << 2 << 3 << QColor(0, 0, 0);
    QTest::newRow("past the end wraps") << QColor(200, 0, 0) << QColor(255, 0, 0) << 3 << 2
                                        << QColor(54, 0, 0);
    QTest::newRow("single step") << blue << white << 1 << 1 << blue;
}

void TPopupGeometryTest::BlendColor()
{
    QFETCH(QColor, c1);
    QFETCH(QColor, c2);
    QFETCH(int, position);
    QFETCH(int, count);
    QFETCH(QColor, expected);
    QCOMPARE(orvenna::popup::BlendColor(c1, c2, position, count), expected);
}

void TPopupGeometryTest::GradientRunsFromFirstColour()
{
    const QColor blue(0x99, 0xCC, 0xFF);
    const QImage vertical = GradientImage(QSize(138, 108), blue, Qt::white, TOrientation::mbVertical);
    QCOMPARE(vertical.pixelColor(0, 0), blue);
    QCOMPARE(vertical.pixelColor(137, 0), blue);
    // 109 steps over 108 lines: the last line is one step short of white.
    QCOMPARE(vertical.pixelColor(0, 107), orvenna::popup::BlendColor(blue, Qt::white, 108, 109));
    QVERIFY(vertical.pixelColor(0, 107) != QColor(Qt::white));

    const QImage horizontal = GradientImage(QSize(138, 108), blue, Qt::white, TOrientation::mbHorizontal);
    QCOMPARE(horizontal.pixelColor(0, 107), blue);
    QCOMPARE(horizontal.pixelColor(137, 50), orvenna::popup::BlendColor(blue, Qt::white, 138, 139));
}

void TPopupGeometryTest::PicturesKeepTheirCornerColourOut()
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    picture.setPixelColor(1, 1, Qt::green);
    QImage canvas(6, 6, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    DrawPicture(canvas, picture, TSlideImageDrawMethod::dmActualSize);
    QCOMPARE(canvas.pixelColor(1, 1), QColor(Qt::green));
    QCOMPARE(canvas.pixelColor(0, 0), QColor(Qt::white));  // magenta, the corner colour, is see-through

    QImage fitted(8, 8, QImage::Format_RGB32);
    fitted.fill(Qt::white);
    DrawPicture(fitted, picture, TSlideImageDrawMethod::dmFit);
    QCOMPARE(fitted.pixelColor(2, 2), QColor(Qt::green));  // stretched twice as large
    QCOMPARE(fitted.pixelColor(3, 3), QColor(Qt::green));
}

void TPopupGeometryTest::TilesCoverTheCanvas()
{
    QImage tile(4, 3, QImage::Format_RGB32);
    tile.fill(Qt::black);  // the corner colour: only the marked pixel is drawn
    tile.setPixelColor(0, 0, Qt::red);
    QImage canvas(10, 7, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    DrawPicture(canvas, tile, TSlideImageDrawMethod::dmTile);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 7; ++y) {
            const bool marked = x % 4 == 0 && y % 3 == 0;
            QCOMPARE(canvas.pixelColor(x, y), marked ? QColor(Qt::red) : QColor(Qt::white));
        }
}

QTEST_GUILESS_MAIN(TPopupGeometryTest)
#include "test_popupgeometry.moc"
