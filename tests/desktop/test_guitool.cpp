// The skin drawing is checked by where the copies land on an image: every test picture has a
// marker colour in its left-most column, so the marker pixels of one row are the copies'
// x positions.

#include "desktop/guitool.h"

#include "platform/fake/fakeplatform.h"

#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using orvenna::desktop::TEdgeRect;
using orvenna::desktop::TGUITools;
using Positions = QList<int>;

namespace {

const QColor Paper(Qt::white);
const QColor Marker(255, 0, 0);
const QColor Body(0, 0, 255);
const QColor Edge(0, 160, 0);
const QColor Corner(255, 200, 0);

// Left column Marker, right-most edgeColumns Edge, the rest Body.
QImage Picture(int width, int height, int edgeColumns = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Body);
    for (int y = 0; y < height; ++y) {
        image.setPixelColor(0, y, Marker);
        for (int x = width - edgeColumns; x < width; ++x)
            image.setPixelColor(x, y, Edge);
    }
    return image;
}

QImage Canvas(int width, int height)
{
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(Paper);
    return canvas;
}

Positions MarkersInRow(const QImage& canvas, int y)
{
    Positions found;
    for (int x = 0; x < canvas.width(); ++x)
        if (canvas.pixelColor(x, y) == Marker)
            found << x;
    return found;
}

// True when every pixel of the rectangle (clipped to the canvas) is still paper.
bool Untouched(const QImage& canvas, const QRect& area)
{
    const QRect inside = area & canvas.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (canvas.pixelColor(x, y) != Paper)
                return false;
    return true;
}

}  // namespace

class TGUIToolTest final : public QObject {
    Q_OBJECT

    QTemporaryDir ProgramDir;

    QString Folder() const { return ProgramDir.path() + u'/'; }
    QString ImagePath(const char* name) const { return Folder() + "images/" + name; }
    void Save(const QImage& image, const char* name) const
    {
        QVERIFY(image.save(ImagePath(name), "BMP"));
    }

private slots:
    void init()
    {
        QVERIFY(QDir(ProgramDir.path()).mkpath(QStringLiteral("images")));
        // Corner 10 x 8, body 12 x 5 (step 10), grid tile 8 x 6.
        QImage corner(10, 8, QImage::Format_RGB32);
        corner.fill(Corner);
        Save(corner, "leftcornor.bmp");
        Save(Picture(12, 5, 2), "bk.bmp");
        Save(Picture(8, 6), "grdbk.bmp");
    }

    void headerBarPlacesCopiesByTheStep_data()
    {
        QTest::addColumn<int>("boxWidth");
        QTest::addColumn<Positions>("copies");
        QTest::newRow("100 wide") << 100 << Positions{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
        QTest::newRow("one step past the corner") << 20 << Positions{10, 20};
        QTest::newRow("just under one step") << 19 << Positions{10};
        QTest::newRow("as wide as the corner") << 10 << Positions{10};
        QTest::newRow("narrower than the corner by 5") << 5 << Positions{10};
        QTest::newRow("narrower by step - 1") << 1 << Positions{10};
        QTest::newRow("narrower by the step") << 0 << Positions{};
        QTest::newRow("narrower by more") << -4 << Positions{};
    }

    void headerBarPlacesCopiesByTheStep()
    {
        QFETCH(int, boxWidth);
        QFETCH(Positions, copies);
        QImage canvas = Canvas(140, 12);
        {
            QPainter painter(&canvas);
            QVERIFY(TGUITools::DrawHeaderBar(Folder(), boxWidth, painter));
        }
        QCOMPARE(MarkersInRow(canvas, 0), copies);
        QCOMPARE(MarkersInRow(canvas, 4), copies);
        QCOMPARE(canvas.pixelColor(0, 7), Corner);
        QCOMPARE(canvas.pixelColor(9, 0), Corner);
        QVERIFY(Untouched(canvas, QRect(0, 8, 140, 4)));   // below the corner
        QVERIFY(Untouched(canvas, QRect(10, 5, 130, 7)));  // below the body copies
        if (copies.isEmpty()) {
            QVERIFY(Untouched(canvas, QRect(10, 0, 130, 12)));
            return;
        }
        // Each copy hides the two edge columns of the one before; the last shows them, whole,
        // past the box's right edge.
        const int last = copies.back();
        for (int x = 10; x < canvas.width(); ++x) {
            const bool edge = x == last + 10 || x == last + 11;
            QCOMPARE(canvas.pixelColor(x, 2) == Edge, edge);
        }
        QVERIFY(Untouched(canvas, QRect(last + 12, 0, 140, 12)));
    }

    void gridBackTilesFromTheTopLeftCorner_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<Positions>("copies");
        // Left 5, tile 8 wide.
        QTest::newRow("three tiles wide") << 29 << Positions{5, 13, 21, 29};
        QTest::newRow("one tile wide") << 13 << Positions{5, 13};
        QTest::newRow("just under one tile") << 12 << Positions{5};
        QTest::newRow("width 0") << 5 << Positions{5};
        QTest::newRow("right of left by less than a tile") << -2 << Positions{5};
        QTest::newRow("right of left by a whole tile") << -3 << Positions{};
    }

    void gridBackTilesFromTheTopLeftCorner()
    {
        QFETCH(int, right);
        QFETCH(Positions, copies);
        QImage canvas = Canvas(60, 14);
        {
            QPainter painter(&canvas);
            // Bottom 4: the tiles are still drawn at their full height of 6.
            QVERIFY(TGUITools::TileGridBack(Folder(), TEdgeRect{5, 3, right, 4}, painter));
        }
        QCOMPARE(MarkersInRow(canvas, 3), copies);
        QCOMPARE(MarkersInRow(canvas, 8), copies);
        QVERIFY(Untouched(canvas, QRect(0, 0, 60, 3)));
        QVERIFY(Untouched(canvas, QRect(0, 9, 60, 5)));
        const int end = copies.isEmpty() ? 0 : copies.back() + 8;
        QVERIFY(Untouched(canvas, QRect(end, 0, 60, 14)));
        if (!copies.isEmpty())
            QCOMPARE(canvas.pixelColor(end - 1, 8), Body);
    }

    void unusableImageFailsAndDrawsNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");  // absent, empty, garbage or narrow
        QTest::addColumn<bool>("header");     // DrawHeaderBar, else TileGridBack
        QTest::addColumn<QString>("message");
        const QString cannotLoad = QStringLiteral("Cannot load");
        QTest::newRow("no bk.bmp") << "bk.bmp" << "absent" << true << cannotLoad;
        QTest::newRow("no leftcornor.bmp") << "leftcornor.bmp" << "absent" << true << cannotLoad;
        QTest::newRow("garbage bk.bmp") << "bk.bmp" << "garbage" << true << cannotLoad;
        QTest::newRow("bk.bmp 2 wide") << "bk.bmp" << "narrow" << true << "narrower than 3 pixels";
        QTest::newRow("no grdbk.bmp") << "grdbk.bmp" << "absent" << false << cannotLoad;
        QTest::newRow("empty grdbk.bmp") << "grdbk.bmp" << "empty" << false << cannotLoad;
    }

    void unusableImageFailsAndDrawsNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QFETCH(bool, header);
        QFETCH(QString, message);
        const QString path = ImagePath(file.toLatin1().constData());
        QVERIFY(QFile::remove(path));
        if (damage == QLatin1String("narrow")) {
            Save(Picture(2, 5), "bk.bmp");
        } else if (damage != QLatin1String("absent")) {
            QFile broken(path);
            QVERIFY(broken.open(QIODevice::WriteOnly));
            if (damage == QLatin1String("garbage"))
                broken.write("BM this is no bitmap");
        }
        QImage canvas = Canvas(80, 30);
        QPainter painter(&canvas);
        QString text;
        const bool drawn = header ? TGUITools::DrawHeaderBar(Folder(), 80, painter, &text)
                                  : TGUITools::TileGridBack(Folder(), TEdgeRect{0, 0, 40, 10},
                                                            painter, &text);
        QVERIFY(!drawn);
        QVERIFY2(text.contains(path) && text.contains(message), qPrintable(text));
        // Without a place for the message the answer is the same.
        QVERIFY(!(header ? TGUITools::DrawHeaderBar(Folder(), 80, painter)
                         : TGUITools::TileGridBack(Folder(), TEdgeRect{0, 0, 40, 10}, painter)));
        painter.end();
        QVERIFY(Untouched(canvas, canvas.rect()));
    }

    void smoothTextUsesThePenColourOnATransparentBackground()
    {
        QImage canvas = Canvas(80, 50);
        QPainter painter(&canvas);
        painter.setPen(QColor(200, 0, 0));
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(QColor(0, 0, 255));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(24);
        font.setBold(true);
        TGUITools::DrawSmoothText(painter, QStringLiteral("W"), font, 7, 9);
        painter.end();

        QRect inked;
        bool partial = false;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const QColor c = canvas.pixelColor(x, y);
                if (c == Paper)
                    continue;
                QVERIFY2(c.red() >= c.green() && c.green() == c.blue(), "not the pen's red");
                partial = partial || c.green() > 0;
                inked |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(inked.isValid());
        QVERIFY2(inked.left() >= 7 && inked.left() <= 10, qPrintable(QString::number(inked.left())));
        QVERIFY2(inked.top() >= 9 && inked.top() <= 14, qPrintable(QString::number(inked.top())));
        QVERIFY2(partial, "no antialiased edge");
    }

    void smoothTextWithEmptyTextOnlySetsFontAndMode()
    {
        QImage canvas = Canvas(40, 40);
        QPainter painter(&canvas);
        painter.setBackgroundMode(Qt::OpaqueMode);
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(17);
        font.setItalic(true);
        TGUITools::DrawSmoothText(painter, QString(), font, 3, 3);
        QCOMPARE(painter.backgroundMode(), Qt::TransparentMode);
        QCOMPARE(painter.font().family(), font.family());
        QCOMPARE(painter.font().pixelSize(), 17);
        QVERIFY(painter.font().italic());
        QCOMPARE(painter.font().styleStrategy(), QFont::PreferAntialias);
        painter.end();
        QVERIFY(Untouched(canvas, canvas.rect()));
    }
};

QTEST_MAIN(TGUIToolTest)
#include "test_guitool.moc"
