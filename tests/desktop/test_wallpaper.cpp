// TWallPaper on the fake platform: placement arithmetic by pixels, extension rules, the
// readers on generated and damaged files, and the rectangle copy.

#include "desktop/wallpaper.h"
#include "desktop/gifreader.h"
#include "desktop/jpegreader.h"

#include "platform/fake/fakeplatform.h"
#include "tests/desktop/picturefiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <future>

using namespace orvenna;
using desktop::TWallPaper;
using platform::TWallpaperPlacement;
using tests::CoordinatePicture;
using tests::PositionOf;

Q_DECLARE_METATYPE(TWallpaperPlacement)

namespace {

const QColor DeskColour(10, 20, 30);

std::vector<unsigned char> Checkered(int side)
{
    std::vector<unsigned char> indices;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            indices.push_back((x * 7 + y * 3) % 5 == 0);
    return indices;
}

// A 1024 x 768 single screen showing path with the given placement.
void ShowWallpaper(platform::TFakePlatform& fake, const QString& path, TWallpaperPlacement placement)
{
    fake.Primary = fake.Virtual = QRect(0, 0, 1024, 768);
    fake.OtherScreens.clear();
    fake.ScreenFacts.clear();
    fake.Facts = {path, placement, DeskColour};
}

// Every pixel of desk that is not the desktop colour, decoded back to its picture position,
// must equal what expected says for that desk position; returns the first mismatch as text.
QString CheckEveryPixel(const QImage& desk, const std::function<std::optional<QPoint>(QPoint)>& expected)
{
    for (int y = 0; y < desk.height(); ++y) {
        for (int x = 0; x < desk.width(); ++x) {
            const QRgb pixel = desk.pixel(x, y);
            const auto want = expected({x, y});
            const bool ok = want ? PositionOf(pixel) == *want : pixel == DeskColour.rgb();
            if (!ok)
                return QStringLiteral("desk (%1, %2) holds %3").arg(x).arg(y).arg(pixel, 8, 16);
        }
    }
    return {};
}

// Gradients with a fine texture: every row and column differs, and JPEG keeps it busy.
QImage Textured(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x / 4 + (y * 7) % 13) & 255, (y / 3 + (x * 5) % 11) & 255, (x + y) & 255));
    return image;
}

bool SaveJpeg(const QImage& image, const QString& path, bool progressive)
{
    QImageWriter writer(path, "jpg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image);
}

// Two screens side by side or stacked: the primary one at the origin, 1024 x 768, and second.
void ShowTwoScreens(platform::TFakePlatform& fake, const QRect& second, const platform::TDesktopFacts& facts)
{
    fake.Primary = QRect(0, 0, 1024, 768);
    fake.Work = fake.Primary;
    fake.OtherScreens = {{second, second, QStringLiteral("DUMMY1")}};
    fake.Virtual = fake.Primary.united(second);
    fake.Facts = facts;
    fake.ScreenFacts.clear();
}

// Desk pixels that differ from what want gives for their screen position; the first as text.
QString CheckDesk(const TWallPaper& wallpaper, const std::function<QRgb(QPoint)>& want)
{
    const QImage& desk = wallpaper.DeskBitmap();
    for (int y = 0; y < desk.height(); ++y)
        for (int x = 0; x < desk.width(); ++x) {
            const QPoint at = wallpaper.DeskOrigin() + QPoint(x, y);
            if (desk.pixel(x, y) != want(at))
                return QStringLiteral("(%1, %2) holds %3, not %4").arg(at.x()).arg(at.y())
                    .arg(desk.pixel(x, y), 8, 16).arg(want(at), 8, 16);
        }
    return {};
}

// Four quadrants of plain colour, so smoothing changes only the seams.
const QRgb Quadrant[2][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)}, {qRgb(0, 0, 255), qRgb(255, 255, 0)}};
QImage QuadrantPicture()
{
    QImage picture(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            picture.setPixel(x, y, Quadrant[y / 50][x / 100]);
    return picture;
}

// A bitmap file with the 40-byte header: pixels of the given bits (8: a grey palette), rows
// bottom first unless topDown, gap bytes between the header and the pixels, the last cut
// bytes left off.
QByteArray BitmapBytes(QSize size, int bits, bool topDown, int gap = 0, int cut = 0)
{
    const int stride = (size.width() * bits + 31) / 32 * 4;
    const int palette = bits == 8 ? 256 * 4 : 0;
    const int offset = 14 + 40 + palette + gap;
    QByteArray bytes(offset + stride * size.height(), '\0');
    const auto put = [&bytes](int at, std::uint32_t value, int length) {
        for (int i = 0; i < length; ++i)
            bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, bytes.size(), 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, size.width(), 4);
    put(22, topDown ? -size.height() : size.height(), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    for (int i = 0; i < palette / 4; ++i)
        put(54 + 4 * i, i * 0x010101, 4);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            for (int c = 0; c < bits / 8; ++c)
                bytes[offset + y * stride + x * bits / 8 + c] = char(x * 37 + y * 11 + c * 70);
    bytes.chop(cut);
    return bytes;
}

}  // namespace

class TWallPaperTest final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;
    platform::TFakePlatform Fake;

    QString File(const QString& name) const { return Dir.filePath(name); }

private Q_SLOTS:
    // First of all, before any other case reads a picture: telling the kinds by extension loads
    // no image plugin but the one a WebP name asks about.
    void extensionsAreToldWithoutLoadingImagePlugins()
    {
        const auto loadedPlugins = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            if (!maps.open(QIODevice::ReadOnly))
                return QSet<QString>();
            QSet<QString> plugins;
            for (const QByteArray& line : maps.readAll().split('\n'))
                if (line.contains("/imageformats/"))
                    plugins.insert(QFileInfo(QString::fromLocal8Bit(line.mid(line.indexOf('/')))).fileName());
            return plugins;
        };
        const QSet<QString> before = loadedPlugins();
        for (const char* ext : {"png", "bmp", "ico", "jpg", "gif", "tif", "wmf", "webp"})
            desktop::KindOfExtension(desktop::TFileFormatsList(), QString::fromLatin1(ext));
        QCOMPARE(desktop::KindOfExtension(desktop::TFileFormatsList(), QStringLiteral("WebP")),
                 std::optional(desktop::TPictureKind::WebP));
        const QSet<QString> added = loadedPlugins() - before;
        QVERIFY2(added.isEmpty() || added == QSet<QString>{QStringLiteral("libqwebp.so")},
                 qPrintable(QStringList(added.values()).join(QLatin1Char(' '))));
    }

    // The program's own bitmaps: every row padded to four bytes, bottom row first, read back
    // by Qt's reader pixel for pixel; a file misnamed for its kind still reads.
    void bitmapFileReadsBackAsWritten_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1 x 1") << QSize(1, 1);
        QTest::newRow("3 x 2, rows padded") << QSize(3, 2);
        QTest::newRow("5 x 7, rows padded") << QSize(5, 7);
        QTest::newRow("the window, 296 x 216") << QSize(296, 216);
    }
    void bitmapFileReadsBackAsWritten()
    {
        QFETCH(QSize, size);
        const QImage picture = Textured(size);
        const QString path = File(QStringLiteral("written.bmp"));
        QVERIFY(desktop::WriteBitmapFile(picture, path));
        QImage read;
        QVERIFY(read.load(path, "BMP"));
        QCOMPARE(read.convertToFormat(QImage::Format_RGB32), picture);
        QCOMPARE(desktop::ReadImageFile(path), read);
        QVERIFY(picture.save(File(QStringLiteral("png named bmp.bmp")), "PNG"));
        QCOMPARE(desktop::ReadImageFile(File(QStringLiteral("png named bmp.bmp"))).convertToFormat(QImage::Format_RGB32),
                 picture);
        QString failure;
        QVERIFY(desktop::ReadImageFile(File(QStringLiteral("none.bmp")), &failure).isNull());
        QVERIFY(!failure.isEmpty());
    }

    // Bitmaps of other layouts, and damaged ones, read as Qt's reader reads them.
    void bitmapsOfEveryLayoutReadAsQtReadsThem_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("undefinedRows");  // at the top of a file cut short
        QTest::newRow("24 bits, bottom row first") << BitmapBytes(QSize(5, 3), 24, false) << 0;
        QTest::newRow("24 bits, top row first") << BitmapBytes(QSize(5, 3), 24, true) << 0;
        QTest::newRow("24 bits, a gap before the pixels") << BitmapBytes(QSize(6, 4), 24, false, 10) << 0;
        QTest::newRow("24 bits, cut short") << BitmapBytes(QSize(7, 5), 24, false, 0, 9) << 1;
        QTest::newRow("32 bits") << BitmapBytes(QSize(5, 3), 32, false) << 0;
        QTest::newRow("8 bits with a palette") << BitmapBytes(QSize(5, 3), 8, true) << 0;
    }
    void bitmapsOfEveryLayoutReadAsQtReadsThem()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, undefinedRows);
        const QString path = File(QStringLiteral("layout.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QImageReader reader(path, "bmp");
        const QImage expected = reader.read();
        QVERIFY(!expected.isNull());
        const QImage read = desktop::ReadImageFile(path);
        QCOMPARE(read.size(), expected.size());
        QCOMPARE(read.format(), expected.format());
        const QRect defined(0, undefinedRows, read.width(), read.height() - undefinedRows);
        QCOMPARE(read.copy(defined), expected.copy(defined));
    }

    // A title picture is the user's file: sizes no reader could hold give no picture, whatever
    // their product comes to.
    void bitmapOfImpossibleSizeIsRefused_data()
    {
        QTest::addColumn<qint32>("width");
        QTest::addColumn<qint32>("height");
        QTest::newRow("widest, tallest top row first") << qint32(0x7FFFFFFF) << qint32(INT32_MIN);
        QTest::newRow("widest, tallest") << qint32(0x7FFFFFFF) << qint32(0x7FFFFFFF);
        QTest::newRow("one row, too wide") << qint32(0x7FFFFFFF) << qint32(1);
    }
    void bitmapOfImpossibleSizeIsRefused()
    {
        QFETCH(qint32, width);
        QFETCH(qint32, height);
        QByteArray bytes = BitmapBytes(QSize(2, 2), 24, false);
        std::memcpy(bytes.data() + 18, &width, 4);   // little-endian, as the file is
        std::memcpy(bytes.data() + 22, &height, 4);
        const QString path = File(QStringLiteral("impossible.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QVERIFY(desktop::ReadImageFile(path).isNull());
        QVERIFY_THROWS_EXCEPTION(desktop::TPictureError,
                                 desktop::ReadPicture(path, desktop::TPictureKind::Bitmap));
    }

    void centredPictureSitsWhereTruncatingDivisionPutsIt_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("800 x 600") << QSize(800, 600) << QPoint(112, 84);
        QTest::newRow("1025 x 769, -1 div 2 is 0") << QSize(1025, 769) << QPoint(0, 0);
        QTest::newRow("1030 x 770") << QSize(1030, 770) << QPoint(-3, -1);
        QTest::newRow("odd margin") << QSize(101, 51) << QPoint(461, 358);
    }
    void centredPictureSitsWhereTruncatingDivisionPutsIt()
    {
        QFETCH(QSize, picture);
        QFETCH(QPoint, topLeft);
        ShowWallpaper(Fake, {}, TWallpaperPlacement::Centred);
        TWallPaper wallpaper(Fake);
        wallpaper.ComposeDesktop(CoordinatePicture(picture.width(), picture.height()));
        QCOMPARE(wallpaper.DeskBitmap().size(), QSize(1024, 768));
        const QRect drawn(topLeft, picture);
        const QString mismatch = CheckEveryPixel(wallpaper.DeskBitmap(), [&](QPoint p) {
            return drawn.contains(p) ? std::optional(p - topLeft) : std::nullopt;
        });
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void tiledCopiesCoverTheScreenFromTheCorner_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::newRow("300 x 200, 16 copies") << QSize(300, 200);
        QTest::newRow("256 x 256, last column and row outside") << QSize(256, 256);
        QTest::newRow("larger than the screen") << QSize(1100, 800);
    }
    void tiledCopiesCoverTheScreenFromTheCorner()
    {
        QFETCH(QSize, picture);
        ShowWallpaper(Fake, {}, TWallpaperPlacement::Tiled);
        TWallPaper wallpaper(Fake);
        wallpaper.ComposeDesktop(CoordinatePicture(picture.width(), picture.height()));
        const QString mismatch = CheckEveryPixel(wallpaper.DeskBitmap(), [&](QPoint p) {
            return std::optional(QPoint(p.x() % picture.width(), p.y() % picture.height()));
        });
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void scaledPlacementsKeepOrFillTheScreen_data()
    {
        QTest::addColumn<TWallpaperPlacement>("placement");
        QTest::addColumn<QRect>("drawn");
        // A 200 x 100 picture on 1024 x 768: fill scales by 7.68, fit by 5.12.
        QTest::newRow("fill") << TWallpaperPlacement::Fill << QRect(-256, 0, 1536, 768);
        QTest::newRow("fit") << TWallpaperPlacement::Fit << QRect(0, 128, 1024, 512);
        QTest::newRow("stretched") << TWallpaperPlacement::Stretched << QRect(0, 0, 1024, 768);
        QTest::newRow("spanned") << TWallpaperPlacement::Spanned << QRect(0, 0, 1024, 768);
    }
    void scaledPlacementsKeepOrFillTheScreen()
    {
        QFETCH(TWallpaperPlacement, placement);
        QFETCH(QRect, drawn);
        // Four quadrants of plain colour, so smoothing changes only the seams.
        QImage picture(200, 100, QImage::Format_RGB32);
        const QRgb quadrant[2][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)}, {qRgb(0, 0, 255), qRgb(255, 255, 0)}};
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                picture.setPixel(x, y, quadrant[y / 50][x / 100]);
        ShowWallpaper(Fake, {}, placement);
        TWallPaper wallpaper(Fake);
        wallpaper.ComposeDesktop(picture);
        const QImage& desk = wallpaper.DeskBitmap();
        const QPoint centre = drawn.center();
        const QPoint probes[] = {drawn.topLeft() + QPoint(2, 2), QPoint(drawn.right() - 2, drawn.top() + 2),
                                 QPoint(drawn.left() + 2, drawn.bottom() - 2), drawn.bottomRight() - QPoint(2, 2)};
        for (const QPoint probe : probes) {
            if (!desk.rect().contains(probe))
                continue;
            const QRgb want = quadrant[probe.y() > centre.y()][probe.x() > centre.x()];
            QCOMPARE(desk.pixel(probe), want);
        }
        const QRgb outside = desk.rect().contains(drawn.topLeft() - QPoint(0, 2))
                                 ? desk.pixel(drawn.topLeft() - QPoint(0, 2)) : DeskColour.rgb();
        QCOMPARE(outside, DeskColour.rgb());
        // Both halves of the cut picture are visible: the seam lies at the screen's middle.
        QCOMPARE(desk.pixel(centre.x() - 3, 400) != desk.pixel(centre.x() + 3, 400), true);
    }

    // Each screen shows the picture placed by its own size, from its own corner, on its own
    // colour; nothing lies outside the screens. Expected pixels are worked out per screen.
    void unscaledPictureIsPlacedOnEachScreen_data()
    {
        QTest::addColumn<TWallpaperPlacement>("placement");
        QTest::addColumn<QRect>("second");
        QTest::newRow("centred, a smaller screen right") << TWallpaperPlacement::Centred << QRect(1024, 0, 800, 600);
        QTest::newRow("centred, left and lower") << TWallpaperPlacement::Centred << QRect(-640, 300, 640, 480);
        QTest::newRow("centred, below") << TWallpaperPlacement::Centred << QRect(100, 768, 900, 500);
        QTest::newRow("tiled, right") << TWallpaperPlacement::Tiled << QRect(1024, 0, 800, 600);
        QTest::newRow("tiled, left and lower") << TWallpaperPlacement::Tiled << QRect(-640, 300, 640, 480);
    }
    void unscaledPictureIsPlacedOnEachScreen()
    {
        QFETCH(TWallpaperPlacement, placement);
        QFETCH(QRect, second);
        ShowTwoScreens(Fake, second, {{}, placement, DeskColour});
        const QImage picture = CoordinatePicture(300, 200);
        TWallPaper wallpaper(Fake);
        wallpaper.ComposeDesktop(picture);
        QCOMPARE(wallpaper.DeskBitmap().size(), Fake.Virtual.size());
        const QString mismatch = CheckDesk(wallpaper, [&](QPoint p) {
            for (const QRect& screen : {Fake.Primary, second}) {
                if (!screen.contains(p))
                    continue;
                const QPoint offset = p - screen.topLeft();
                if (placement == TWallpaperPlacement::Tiled)
                    return picture.pixel(offset.x() % 300, offset.y() % 200);
                const QPoint corner((screen.width() - 300) / 2, (screen.height() - 200) / 2);
                const QRect drawn(corner, QSize(300, 200));
                return drawn.contains(offset) ? picture.pixel(offset - corner) : DeskColour.rgb();
            }
            return qRgb(0, 0, 0);
        });
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // Scaled pictures: each screen's own fill, fit or stretch, or one picture spanned over the
    // bounding box of both. Probes at the middle of each quadrant of where it should lie.
    void scaledPictureIsPlacedOnEachScreenOrSpanned_data()
    {
        QTest::addColumn<TWallpaperPlacement>("placement");
        QTest::addColumn<QRect>("drawnOnPrimary");
        QTest::addColumn<QRect>("drawnOnSecond");
        const QRect second(1024, 0, 800, 600);
        // 200 x 100 on 1024 x 768: fill by 7.68, fit by 5.12; on 800 x 600: fill by 6, fit by 4.
        QTest::newRow("fill") << TWallpaperPlacement::Fill << QRect(-256, 0, 1536, 768) << QRect(824, 0, 1200, 600);
        QTest::newRow("fit") << TWallpaperPlacement::Fit << QRect(0, 128, 1024, 512) << QRect(1024, 100, 800, 400);
        QTest::newRow("stretched") << TWallpaperPlacement::Stretched << QRect(0, 0, 1024, 768) << second;
        QTest::newRow("spanned") << TWallpaperPlacement::Spanned << QRect(0, 0, 1824, 768) << QRect(0, 0, 1824, 768);
    }
    void scaledPictureIsPlacedOnEachScreenOrSpanned()
    {
        QFETCH(TWallpaperPlacement, placement);
        QFETCH(QRect, drawnOnPrimary);
        QFETCH(QRect, drawnOnSecond);
        const QRect second(1024, 0, 800, 600);
        ShowTwoScreens(Fake, second, {{}, placement, DeskColour});
        TWallPaper wallpaper(Fake);
        wallpaper.ComposeDesktop(QuadrantPicture());
        const auto at = [&](QPoint p) { return wallpaper.DeskBitmap().pixel(p - wallpaper.DeskOrigin()); };
        int probed = 0;
        for (const auto& [screen, drawn] : {std::pair{Fake.Primary, drawnOnPrimary}, std::pair{second, drawnOnSecond}}) {
            for (int qy = 0; qy < 2; ++qy)
                for (int qx = 0; qx < 2; ++qx) {
                    const QPoint probe(drawn.left() + drawn.width() * (2 * qx + 1) / 4,
                                       drawn.top() + drawn.height() * (2 * qy + 1) / 4);
                    if (!screen.contains(probe))
                        continue;
                    ++probed;
                    QCOMPARE(QColor(at(probe)), QColor(Quadrant[qy][qx]));
                }
            const QPoint above(screen.left() + 5, drawn.top() - 3);
            if (screen.contains(above))
                QCOMPARE(QColor(at(above)), DeskColour);
        }
        QVERIFY(probed >= 4);
        // Below the shorter screen lies no screen.
        QCOMPARE(QColor(at({1500, 700})), QColor(Qt::black));
    }

    // A desktop with a wallpaper per screen (a picture and a placement each).
    void everyScreenShowsItsOwnWallpaper()
    {
        const QString first = File("first.bmp");
        const QString other = File("other.png");
        QVERIFY(tests::SavePicture(CoordinatePicture(1024, 768), first, "bmp"));
        QImage blue(64, 64, QImage::Format_RGB32);
        blue.fill(QColor(0, 0, 200));
        QVERIFY(tests::SavePicture(blue, other, "png"));
        ShowTwoScreens(Fake, QRect(1024, 0, 800, 600), {first, TWallpaperPlacement::Stretched, DeskColour});
        Fake.ScreenFacts[1] = {other, TWallpaperPlacement::Centred, QColor(200, 0, 0)};
        TWallPaper wallpaper(Fake);
        wallpaper.LoadWallpaper();
        const QImage& desk = wallpaper.DeskBitmap();
        QCOMPARE(PositionOf(desk.pixel(700, 500)), QPoint(700, 500));
        QCOMPARE(QColor(desk.pixel(1024 + 400, 300)), QColor(0, 0, 200));
        QCOMPARE(QColor(desk.pixel(1024 + 10, 10)), QColor(200, 0, 0));
        QVERIFY(wallpaper.IsFormatSupported());
        Fake.ScreenFacts[1].WallpaperPath = File("other.html");
        QVERIFY(!wallpaper.IsFormatSupported());
    }

    // The calendar on the second screen or across the boundary keeps the very pixels of the
    // whole composition, also where only the picture rows behind it were decoded.
    void keptAreaOnTheSecondScreenHoldsThePixelsOfTheWholeDesktop_data()
    {
        QTest::addColumn<TWallpaperPlacement>("placement");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("fill, on the second") << TWallpaperPlacement::Fill << QRect(1300, 200, 296, 216) << 1.0;
        QTest::newRow("fill, across the boundary") << TWallpaperPlacement::Fill << QRect(900, 500, 296, 216) << 1.0;
        QTest::newRow("centred, across") << TWallpaperPlacement::Centred << QRect(950, 150, 296, 216) << 1.0;
        QTest::newRow("spanned, across") << TWallpaperPlacement::Spanned << QRect(880, 300, 296, 216) << 1.0;
        QTest::newRow("spanned, below the shorter screen") << TWallpaperPlacement::Spanned << QRect(1100, 500, 296, 216) << 1.0;
        QTest::newRow("stretched, ratio 2") << TWallpaperPlacement::Stretched << QRect(1000, 100, 296, 216) << 2.0;
    }
    void keptAreaOnTheSecondScreenHoldsThePixelsOfTheWholeDesktop()
    {
        QFETCH(TWallpaperPlacement, placement);
        QFETCH(QRect, area);
        QFETCH(qreal, ratio);
        const QString path = File("two.jpg");
        QVERIFY(SaveJpeg(Textured({1600, 1000}), path, false));
        ShowTwoScreens(Fake, QRect(1024, 0, 800, 600), {path, placement, DeskColour});
        TWallPaper whole(Fake);
        whole.SetKeptArea({}, ratio);
        whole.LoadWallpaper();
        TWallPaper kept(Fake);
        kept.SetKeptArea(area, ratio);
        kept.LoadWallpaper();
        QCOMPARE(kept.DeskBitmap().size(), area.size() * ratio);
        QImage fromWhole, fromKept;
        whole.CopyDeskRect(fromWhole, QRect(QPoint(), area.size()), area);
        kept.CopyDeskRect(fromKept, QRect(QPoint(), area.size()), area);
        QCOMPARE(fromKept.size(), fromWhole.size());
        int differ = 0;
        for (int y = 0; y < fromKept.height(); ++y)
            for (int x = 0; x < fromKept.width(); ++x)
                differ += fromKept.pixel(x, y) != fromWhole.pixel(x, y);
        QCOMPARE(differ, 0);
    }

    void extensionsFollowTheirCaseRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("supported");
        QTest::newRow("jpg") << "photo.jpg" << QByteArray("jpg") << true;
        QTest::newRow("jpeg") << "photo.jpeg" << QByteArray("jpg") << true;
        QTest::newRow("upper-case JPG") << "Photo.JPG" << QByteArray("jpg") << false;
        QTest::newRow("mixed-case Jpeg") << "Photo.Jpeg" << QByteArray("jpg") << false;
        QTest::newRow("upper-case BMP") << "Photo.BMP" << QByteArray("bmp") << true;
        QTest::newRow("bmp") << "photo.bmp" << QByteArray("bmp") << true;
        QTest::newRow("upper-case GIF") << "Photo.GIF" << QByteArray("gif") << false;
        QTest::newRow("png") << "photo.png" << QByteArray("png") << true;
        QTest::newRow("upper-case PNG") << "PHOTO.PNG" << QByteArray("png") << true;
        QTest::newRow("ico") << "photo.ico" << QByteArray("ico") << true;
        QTest::newRow("web page") << "page.html" << QByteArray("png") << false;
        QTest::newRow("no extension") << "photo" << QByteArray("png") << false;
        QTest::newRow("dot in the folder only") << "dir.jpg/photo" << QByteArray("jpg") << false;
    }
    void extensionsFollowTheirCaseRules()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(bool, supported);
        const QString path = File(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QImage picture = CoordinatePicture(64, 64);
        if (format == "gif")
            QVERIFY(tests::SaveGif(path, 64, 64, {Qt::white}, {{0, 0, 64, 64, std::vector<unsigned char>(64 * 64, 0)}}));
        else
            QVERIFY(tests::SavePicture(picture, path, format.constData()));
        ShowWallpaper(Fake, path, TWallpaperPlacement::Centred);
        TWallPaper wallpaper(Fake);
        QCOMPARE(wallpaper.IsFormatSupported(), supported);
        wallpaper.LoadWallpaper();
        const QRgb middle = wallpaper.DeskBitmap().pixel(512, 384);
        QCOMPARE(middle != DeskColour.rgb(), supported);
        QCOMPARE(wallpaper.DeskBitmap().pixel(0, 0), DeskColour.rgb());
    }

    void noWallpaperIsAColourFillAndSupported()
    {
        ShowWallpaper(Fake, {}, TWallpaperPlacement::Tiled);
        TWallPaper wallpaper(Fake);
        QVERIFY(wallpaper.IsFormatSupported());
        wallpaper.LoadWallpaper();
        QImage plain(1024, 768, QImage::Format_RGB32);
        plain.fill(DeskColour);
        QCOMPARE(wallpaper.DeskBitmap(), plain);
    }

    void pictureWithoutPixelsIsRefused_data()
    {
        QTest::addColumn<TWallpaperPlacement>("placement");
        QTest::newRow("tiled") << TWallpaperPlacement::Tiled;
        QTest::newRow("centred") << TWallpaperPlacement::Centred;
        QTest::newRow("fill") << TWallpaperPlacement::Fill;
    }
    // A GIF whose screen has no pixels is refused with its reason, like any picture that cannot
    // be shown, and the desktop keeps its colour in every placement.
    void pictureWithoutPixelsIsRefused()
    {
        QFETCH(TWallpaperPlacement, placement);
        const QString path = File("empty-screen.gif");
        QVERIFY(tests::SaveGif(path, 0, 0, {Qt::white}, {{0, 0, 1, 1, {0}}}));
        ShowWallpaper(Fake, path, placement);
        TWallPaper wallpaper(Fake);
        try {
            wallpaper.LoadWallpaper();
            QFAIL("a picture without pixels was accepted");
        } catch (const desktop::TPictureError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains("0 pixels wide or high"), error.what());
        }
        QVERIFY(wallpaper.DeskBitmap().isNull() ||
                wallpaper.DeskBitmap().pixel(512, 384) == DeskColour.rgb());
    }

    void copyDeskRectTakesThePixelsFromTheSourceCorner()
    {
        ShowWallpaper(Fake, {}, TWallpaperPlacement::Centred);
        TWallPaper wallpaper(Fake);
        wallpaper.ComposeDesktop(CoordinatePicture(1024, 768));
        QImage dest;
        wallpaper.CopyDeskRect(dest, desktop::RectFromEdges(0, 0, 200, 150),
                               desktop::RectFromEdges(300, 100, 500, 250));
        QCOMPARE(dest.size(), QSize(200, 150));
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x)
                QCOMPARE(PositionOf(dest.pixel(x, y)), QPoint(300 + x, 100 + y));
    }

    // A part inside the picture is a view of its pixels; elsewhere a copy, black beyond the
    // edges. Either way it reads as picture.copy(part).
    void sharedPartIsAViewWhereItCanBe_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QRect>("part");
        QTest::addColumn<bool>("shared");
        const int rgb = QImage::Format_RGB32;
        QTest::newRow("inside") << rgb << QRect(10, 20, 30, 40) << true;
        QTest::newRow("the whole picture") << rgb << QRect(0, 0, 100, 80) << true;
        QTest::newRow("bottom-right corner") << rgb << QRect(99, 79, 1, 1) << true;
        QTest::newRow("across the right edge") << rgb << QRect(90, 0, 20, 10) << false;
        QTest::newRow("above the top") << rgb << QRect(0, -5, 10, 10) << false;
        QTest::newRow("bytes with a colour table")
            << int(QImage::Format_Indexed8) << QRect(3, 5, 7, 9) << true;
        QTest::newRow("pixels smaller than a byte")
            << int(QImage::Format_Mono) << QRect(8, 8, 16, 8) << false;
    }
    void sharedPartIsAViewWhereItCanBe()
    {
        QFETCH(int, format);
        QFETCH(QRect, part);
        QFETCH(bool, shared);
        QImage picture = CoordinatePicture(100, 80).convertToFormat(QImage::Format(format));
        picture.setDevicePixelRatio(2.0);
        const QImage piece = desktop::SharedPart(picture, part);
        QCOMPARE(piece, picture.copy(part));
        QCOMPARE(piece.devicePixelRatio(), 2.0);
        const uchar* bits = piece.constBits();
        const uchar* start = picture.constBits();
        QCOMPARE(bits >= start && bits < start + picture.sizeInBytes(), shared);
    }

    // A view keeps its pixels after the picture is gone, and painting into it leaves the
    // picture as it was.
    void sharedPartOutlivesAndNeverWritesItsPicture()
    {
        const QRect part(10, 10, 20, 20);
        QImage picture = CoordinatePicture(100, 80).convertToFormat(QImage::Format_RGB32);
        const QImage expected = picture.copy(part);
        QImage painted = desktop::SharedPart(picture, part);
        QPainter(&painted).fillRect(painted.rect(), Qt::red);
        QCOMPARE(picture.copy(part), expected);

        const QImage kept = desktop::SharedPart(picture, part);
        picture = QImage();
        QImage reuse(100, 80, QImage::Format_RGB32);  // likely where the pixels were
        reuse.fill(Qt::green);
        QCOMPARE(kept, expected);
    }

    // Tiles start at the screen's own corner, not at the virtual desktop's.
    void deskBitmapFollowsAPrimaryScreenAwayFromTheOrigin()
    {
        Fake.Primary = QRect(1300, 0, 1024, 768);
        Fake.Virtual = QRect(0, 0, 2324, 768);
        Fake.OtherScreens.clear();
        Fake.ScreenFacts.clear();
        Fake.Facts = {{}, TWallpaperPlacement::Tiled, DeskColour};
        TWallPaper wallpaper(Fake);
        wallpaper.ComposeDesktop(CoordinatePicture(256, 256));
        QImage dest;
        wallpaper.CopyDeskRect(dest, QRect(0, 0, 10, 10), QRect(1310, 20, 10, 10));
        QCOMPARE(PositionOf(dest.pixel(0, 0)), QPoint(10, 20));
    }

    // The calendar keeps only the wallpaper behind it; its copies must be the very pixels of a
    // whole-screen composition, also where only the picture rows behind it were decoded.
    // A composition made in another thread, of the kept area and its neighbourhood, holds the
    // pixels of the whole desktop there, and is taken only for the desktop it was made from.
    void jobCompositionIsTakenOnlyForItsDesktop_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("taken");
        QTest::newRow("nothing changed") << 0 << true;
        QTest::newRow("other placement") << 1 << false;
        QTest::newRow("wallpaper file rewritten") << 2 << false;
        QTest::newRow("other ratio") << 3 << false;
        QTest::newRow("other screens") << 4 << false;
    }
    void jobCompositionIsTakenOnlyForItsDesktop()
    {
        QFETCH(int, change);
        QFETCH(bool, taken);
        const QString path = File("job.jpg");
        QVERIFY(SaveJpeg(Textured({1500, 1000}), path, false));
        ShowWallpaper(Fake, path, TWallpaperPlacement::Fill);
        const QRect area(600, 500, 296, 216);
        TWallPaper wallpaper(Fake);
        wallpaper.SetKeptArea(area);
        wallpaper.SetNeighbourhood(64);
        desktop::TComposition made = std::async(std::launch::async, wallpaper.LoadJob()).get();
        switch (change) {
        case 1: Fake.Facts.Placement = TWallpaperPlacement::Stretched; break;
        case 2: QVERIFY(SaveJpeg(Textured({1400, 1000}), path, false)); break;
        case 3: wallpaper.SetKeptArea(area, 2.0); break;
        case 4: Fake.Primary = Fake.Virtual = QRect(0, 0, 1280, 800); break;
        }
        QCOMPARE(wallpaper.Take(made), taken);
        if (!taken) {
            QVERIFY(wallpaper.DeskBitmap().isNull());
            return;
        }
        const QRect neighbourhood = area.adjusted(-64, -64, 64, 64);
        QCOMPARE(QRect(wallpaper.DeskOrigin(), wallpaper.DeskBitmap().size()), neighbourhood);
        QVERIFY(wallpaper.Covers(area.translated(-64, 64)));
        QCOMPARE(wallpaper.ComposedKey(), wallpaper.CurrentKey());
        TWallPaper whole(Fake);
        whole.LoadWallpaper();
        const QRect onScreen = neighbourhood & Fake.Primary;
        QCOMPARE(wallpaper.DeskBitmap().copy(onScreen.translated(-neighbourhood.topLeft())),
                 whole.DeskBitmap().copy(onScreen));
    }

    void keptAreaHoldsThePixelsOfTheWholeDesktop_data()
    {
        QTest::addColumn<TWallpaperPlacement>("placement");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<qreal>("ratio");
        const QRect corner(1024 - 296, 768 - 216, 296, 216);
        QTest::newRow("stretched, scaled in the decoder") << TWallpaperPlacement::Stretched << QSize(3000, 2000) << corner << 1.0;
        QTest::newRow("stretched up") << TWallpaperPlacement::Stretched << QSize(500, 300) << QRect(300, 10, 296, 216) << 1.0;
        QTest::newRow("fill, cut at the sides") << TWallpaperPlacement::Fill << QRect(0, 0, 3000, 1000).size() << QRect(0, 300, 296, 216) << 1.0;
        QTest::newRow("fit, bars above and below") << TWallpaperPlacement::Fit << QSize(2000, 600) << QRect(400, 250, 296, 216) << 1.0;
        QTest::newRow("centred, larger than the screen") << TWallpaperPlacement::Centred << QSize(1100, 900) << QRect(20, 600, 296, 216) << 1.0;
        QTest::newRow("centred, the window half on it") << TWallpaperPlacement::Centred << QSize(400, 300) << QRect(200, 100, 296, 216) << 1.0;
        QTest::newRow("tiled") << TWallpaperPlacement::Tiled << QSize(300, 200) << QRect(250, 150, 296, 216) << 1.0;
        QTest::newRow("partly off the screen") << TWallpaperPlacement::Stretched << QSize(1600, 1200) << QRect(900, 650, 296, 216) << 1.0;
        QTest::newRow("device pixel ratio 2") << TWallpaperPlacement::Fill << QSize(3000, 2000) << QRect(500, 300, 296, 216) << 2.0;
    }
    void keptAreaHoldsThePixelsOfTheWholeDesktop()
    {
        QFETCH(TWallpaperPlacement, placement);
        QFETCH(QSize, picture);
        QFETCH(QRect, area);
        QFETCH(qreal, ratio);
        const QString path = File("kept.jpg");
        QVERIFY(SaveJpeg(Textured(picture), path, false));
        ShowWallpaper(Fake, path, placement);
        TWallPaper whole(Fake);
        whole.SetKeptArea({}, ratio);
        whole.LoadWallpaper();
        TWallPaper kept(Fake);
        kept.SetKeptArea(area, ratio);
        kept.LoadWallpaper();

        QCOMPARE(kept.DeskBitmap().size(), area.size() * ratio);
        QVERIFY(kept.Covers(area, ratio));
        QVERIFY(!kept.Covers(area.translated(1, 0), ratio));
        QVERIFY(!kept.Covers(area, ratio + 1));
        // Beyond the screen the whole composition has no pixels to compare with.
        const QRect onScreen = area & Fake.Primary;
        QImage fromWhole, fromKept;
        whole.CopyDeskRect(fromWhole, QRect(QPoint(), onScreen.size()), onScreen);
        kept.CopyDeskRect(fromKept, QRect(QPoint(), onScreen.size()), onScreen);
        QCOMPARE(fromKept.size(), onScreen.size() * ratio);
        QCOMPARE(fromKept.devicePixelRatio(), ratio);
        int differ = 0;
        QPoint firstDiff(-1, -1);
        for (int y = 0; y < fromKept.height(); ++y)
            for (int x = 0; x < fromKept.width(); ++x)
                if (fromKept.pixel(x, y) != fromWhole.pixel(x, y) && differ++ == 0)
                    firstDiff = QPoint(x, y);
        QVERIFY2(differ == 0, qPrintable(QStringLiteral("%1 pixels differ, the first at (%2, %3)")
                                             .arg(differ).arg(firstDiff.x()).arg(firstDiff.y())));
    }

    void jpegRowsAreThoseOfTheWholeDecode_data()
    {
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<int>("eighths");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("kept");
        QTest::newRow("top rows") << false << 8 << -5 << 10 << 10;
        QTest::newRow("middle, odd start") << false << 8 << 37 << 101 << 64;
        QTest::newRow("to the bottom and past it") << false << 8 << 150 << 400 << 58;
        QTest::newRow("none") << false << 8 << 120 << 120 << 0;
        QTest::newRow("below the picture") << false << 8 << 300 << 310 << 0;  // 208 rows
        QTest::newRow("progressive, middle") << true << 8 << 41 << 77 << 36;
        QTest::newRow("scaled to seven eighths") << false << 7 << 93 << 150 << 57;
        QTest::newRow("scaled to a half, progressive") << true << 4 << 13 << 60 << 47;
    }
    void jpegRowsAreThoseOfTheWholeDecode()
    {
        QFETCH(bool, progressive);
        QFETCH(int, eighths);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, kept);
        const QString path = File("rows.jpg");
        QVERIFY(SaveJpeg(Textured({336, 208}), path, progressive));
        const desktop::TPixelSize scaled{336 * eighths / 8, 208 * eighths / 8};
        const auto target = [&](desktop::TPixelSize) { return scaled; };
        const auto wholePicture = desktop::ReadJpegFile(path.toStdString(), target);
        const auto part = desktop::ReadJpegFile(path.toStdString(), target, desktop::DefaultMaxPixels,
                                                [&](desktop::TPixelSize decoded) {
                                                    return decoded.Height == scaled.Height
                                                               ? desktop::TRowSpan{first, last}
                                                               : desktop::TRowSpan{};
                                                });
        QCOMPARE(part.Height, kept);
        QCOMPARE(part.WholeHeight, scaled.Height);
        QCOMPARE(part.FirstRow, std::clamp(first, 0, scaled.Height));
        const auto row = [](const desktop::TRawPicture& raw, int index) {
            const auto begin = raw.Pixels.begin() + std::ptrdiff_t(index) * raw.Width;
            return std::vector<std::uint32_t>(begin, begin + raw.Width);
        };
        for (int y = 0; y < kept; ++y)
            QCOMPARE(row(part, y), row(wholePicture, part.FirstRow + y));
    }

    void jpegIsScaledInTheDecoderToTheSmallestSizeNotBelowTheTarget_data()
    {
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("a quarter") << QSize(400, 300) << QSize(400, 300);
        QTest::newRow("one more pixel: three eighths") << QSize(401, 300) << QSize(600, 450);
        QTest::newRow("an eighth") << QSize(150, 10) << QSize(200, 150);
        QTest::newRow("larger than the picture") << QSize(3000, 2000) << QSize(1600, 1200);
    }
    void jpegIsScaledInTheDecoderToTheSmallestSizeNotBelowTheTarget()
    {
        QFETCH(QSize, target);
        QFETCH(QSize, decoded);
        const QString path = File("1600x1200.jpg");
        QImage picture(1600, 1200, QImage::Format_RGB32);
        picture.fill(QColor(200, 40, 40));
        QVERIFY(tests::SavePicture(picture, path, "jpg"));
        const auto raw = desktop::ReadJpegFile(path.toStdString(), [&](desktop::TPixelSize) {
            return desktop::TPixelSize{target.width(), target.height()};
        });
        QCOMPARE(QSize(raw.Width, raw.Height), decoded);
        const QRgb middle = raw.Pixels[std::size_t(raw.Height / 2) * raw.Width + raw.Width / 2];
        QVERIFY(qAbs(qRed(middle) - 200) < 4 && qAbs(qGreen(middle) - 40) < 4 && qAlpha(middle) == 255);
    }

    void stretchedJpegFillsTheScreen()
    {
        const QString path = File("stretch.jpg");
        QImage picture(4096, 3072, QImage::Format_RGB32);
        picture.fill(QColor(40, 200, 40));
        QVERIFY(tests::SavePicture(picture, path, "jpg"));
        ShowWallpaper(Fake, path, TWallpaperPlacement::Stretched);
        TWallPaper wallpaper(Fake);
        wallpaper.LoadWallpaper();
        for (const QPoint p : {QPoint(0, 0), QPoint(1023, 767), QPoint(512, 384)})
            QVERIFY(qAbs(qGreen(wallpaper.DeskBitmap().pixel(p)) - 200) < 4);
    }

    void greyJpegDecodesToGrey()
    {
        const QString path = File("grey.jpg");
        QImage picture(64, 64, QImage::Format_Grayscale8);
        picture.fill(QColor(128, 128, 128));
        QVERIFY(tests::SavePicture(picture, path, "jpg"));
        const auto raw = desktop::ReadJpegFile(path.toStdString());
        const QRgb pixel = raw.Pixels[100];
        QVERIFY(qAbs(qRed(pixel) - 128) < 3 && qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel));
    }

    void cmykJpegDecodesToItsColour_data()
    {
        QTest::addColumn<QByteArray>("ink");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("no ink is white") << QByteArray("\0\0\0\0", 4) << QColor(255, 255, 255);
        QTest::newRow("magenta and yellow are red") << QByteArray("\0\xff\xff\0", 4) << QColor(255, 0, 0);
        QTest::newRow("black") << QByteArray("\0\0\0\xff", 4) << QColor(0, 0, 0);
    }
    void cmykJpegDecodesToItsColour()
    {
        QFETCH(QByteArray, ink);
        QFETCH(QColor, colour);
        const QString path = File("cmyk.jpg");
        const unsigned char cmyk[4] = {uchar(ink[0]), uchar(ink[1]), uchar(ink[2]), uchar(ink[3])};
        QVERIFY(tests::SaveCmykJpeg(path, 16, 16, cmyk));
        const QRgb pixel = desktop::ReadJpegFile(path.toStdString()).Pixels[8 * 16 + 8];
        QVERIFY2(qAbs(qRed(pixel) - colour.red()) < 4 && qAbs(qGreen(pixel) - colour.green()) < 4 &&
                     qAbs(qBlue(pixel) - colour.blue()) < 4 && qAlpha(pixel) == 255,
                 qPrintable(QString::number(pixel, 16)));
    }

    void gifShowsItsFirstFrameWithTransparencyAndInterlace()
    {
        // Frame 1: 8 x 12 at (2, 1) on a 12 x 16 screen, interlaced, index 2 transparent;
        // row y holds index y % 2 except column 0, which is transparent.
        desktop::TRawPicture raw;
        tests::TGifFrame first{2, 1, 8, 12, {}, 2, true};
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 8; ++x)
                first.Indices.push_back(x == 0 ? 2 : y % 2);
        const tests::TGifFrame second{0, 0, 12, 16, std::vector<unsigned char>(12 * 16, 1)};
        const QString path = File("frames.gif");
        QVERIFY(tests::SaveGif(path, 12, 16, {Qt::red, Qt::blue, Qt::green}, {first, second}));
        raw = desktop::ReadGifFile(path.toStdString());
        QCOMPARE(QSize(raw.Width, raw.Height), QSize(12, 16));
        const auto at = [&](int x, int y) { return raw.Pixels[std::size_t(y) * 12 + x]; };
        for (int y = 0; y < 12; ++y) {
            QCOMPARE(at(2, y + 1), 0u);
            QCOMPARE(at(3, y + 1), y % 2 ? 0xFF0000FFu : 0xFFFF0000u);
        }
        QCOMPARE(at(0, 0), 0u);    // outside the first frame
        QCOMPARE(at(11, 15), 0u);  // the second frame is never drawn
    }

    void transparentGifPixelsShowTheDesktopColour()
    {
        const QString path = File("hole.gif");
        std::vector<unsigned char> indices(16 * 16, 0);
        indices[8 * 16 + 8] = 1;
        QVERIFY(tests::SaveGif(path, 16, 16, {Qt::white, Qt::black}, {{0, 0, 16, 16, indices, 1}}));
        ShowWallpaper(Fake, path, TWallpaperPlacement::Tiled);
        TWallPaper wallpaper(Fake);
        wallpaper.LoadWallpaper();
        QCOMPARE(wallpaper.DeskBitmap().pixel(8, 8), DeskColour.rgb());
        QCOMPARE(wallpaper.DeskBitmap().pixel(9, 8), qRgb(255, 255, 255));
    }

    void damagedPictureThrowsAndKeepsTheLastDesktop_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated JPEG") << "cut.jpg" << "truncate";
        QTest::newRow("JPEG of noise") << "noise.jpg" << "noise";
        QTest::newRow("empty JPEG") << "empty.jpg" << "empty";
        QTest::newRow("truncated GIF") << "cut.gif" << "truncate";
        QTest::newRow("GIF cut in its picture data") << "cutend.gif" << "cut the end";
        QTest::newRow("JPEG cut in its picture data") << "cutend.jpg" << "cut the end";
        QTest::newRow("GIF of noise") << "noise.gif" << "noise";
        QTest::newRow("truncated BMP") << "cut.bmp" << "truncate";
        QTest::newRow("BMP of noise") << "noise.bmp" << "noise";
        QTest::newRow("missing file") << "missing.jpg" << "missing";
        QTest::newRow("metafile") << "drawing.wmf" << "noise";
    }
    void damagedPictureThrowsAndKeepsTheLastDesktop()
    {
        QFETCH(QString, name);
        QFETCH(QString, damage);
        const QString good = File("good.bmp");
        QVERIFY(tests::SavePicture(CoordinatePicture(300, 200), good, "bmp"));
        ShowWallpaper(Fake, good, TWallpaperPlacement::Tiled);
        TWallPaper wallpaper(Fake);
        wallpaper.LoadWallpaper();
        const QImage before = wallpaper.DeskBitmap().copy();

        const QString bad = File(name);
        const QString ext = QFileInfo(name).suffix();
        const QString whole = File("whole." + ext);
        if (ext == "gif")
            QVERIFY(tests::SaveGif(whole, 64, 64, {Qt::white, Qt::red}, {{0, 0, 64, 64, Checkered(64)}}));
        else
            QVERIFY(tests::SavePicture(CoordinatePicture(64, 64), whole, ext == "bmp" ? "bmp" : "jpg"));
        if (damage == "truncate")
            QVERIFY(tests::SaveTruncated(whole, bad, QFileInfo(whole).size() / 2));
        else if (damage == "cut the end")
            QVERIFY(tests::SaveTruncated(whole, bad, QFileInfo(whole).size() - 40));
        else if (damage == "noise") {
            // A bitmap signature and a size field, then words; the NULs need the explicit size.
            static constexpr char Noise[] = "BM\x10\0\0\0not a picture at all, only words";
            QVERIFY(tests::SaveBytes(bad, QByteArray(Noise, sizeof Noise - 1).repeated(8)));
        } else if (damage == "empty")
            QVERIFY(tests::SaveBytes(bad, {}));
        Fake.Facts.WallpaperPath = bad;
        QVERIFY(wallpaper.IsFormatSupported());
        try {
            wallpaper.LoadWallpaper();
            QFAIL("a damaged picture was accepted");
        } catch (const desktop::TPictureError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(bad), error.what());
        }
        QCOMPARE(wallpaper.DeskBitmap(), before);
    }
};

QTEST_MAIN(TWallPaperTest)
#include "test_wallpaper.moc"
