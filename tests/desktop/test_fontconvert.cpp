// Stored fonts and colours as Qt fonts and colours, and back.

#include "desktop/fontconvert.h"

#include <QFontMetricsF>
#include <QtTest>

#include <limits>

using namespace orvenna;
using store::StyleBit;
using store::TFont;

class FontConvertTest final : public QObject {
    Q_OBJECT

private slots:
    void defaultFontIsElevenPixelSansAntialiased()
    {
        const QFont font = desktop::ToQFont(TFont());
        QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(font.pixelSize(), 11);
        QVERIFY(!font.bold() && !font.italic() && !font.underline() && !font.strikeOut());
        QVERIFY(!font.fixedPitch());
        QVERIFY(font.styleStrategy() & QFont::PreferAntialias);
    }

    void stylesAndPitch_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("pitch");
        QTest::newRow("bold") << int(StyleBit(store::fsBold)) << int(store::fpDefault);
        QTest::newRow("italic, fixed") << int(StyleBit(store::fsItalic)) << int(store::fpFixed);
        QTest::newRow("underline, strike-out")
            << int(StyleBit(store::fsUnderline) | StyleBit(store::fsStrikeOut))
            << int(store::fpDefault);
        QTest::newRow("all four")
            << int(StyleBit(store::fsBold) | StyleBit(store::fsItalic) |
                   StyleBit(store::fsUnderline) | StyleBit(store::fsStrikeOut))
            << int(store::fpFixed);
    }

    void stylesAndPitch()
    {
        QFETCH(int, style);
        QFETCH(int, pitch);
        TFont font;
        font.Style = static_cast<store::TFontStyles>(style);
        font.Pitch = static_cast<store::TFontPitch>(pitch);
        font.Height = -19;
        const QFont qfont = desktop::ToQFont(font);
        QCOMPARE(qfont.bold(), store::HasStyle(font.Style, store::fsBold));
        QCOMPARE(qfont.italic(), store::HasStyle(font.Style, store::fsItalic));
        QCOMPARE(qfont.underline(), store::HasStyle(font.Style, store::fsUnderline));
        QCOMPARE(qfont.strikeOut(), store::HasStyle(font.Style, store::fsStrikeOut));
        QCOMPARE(qfont.fixedPitch(), pitch == store::fpFixed);

        // Back again: what a QFont holds comes back unchanged, Charset and Color stay.
        TFont back;
        back.Charset = 204;
        back.Color = store::clRed;
        desktop::FromQFont(qfont, back);
        TFont expected = font;
        expected.Charset = 204;
        expected.Color = store::clRed;
        if (expected.Pitch == store::fpVariable)
            expected.Pitch = store::fpDefault;
        QVERIFY(back == expected);
    }

    void cellHeightFitsTheLine()
    {
        TFont font;
        font.Name = "DejaVu Sans";
        font.Height = 20;
        const QFont qfont = desktop::ToQFont(font);
        QVERIFY(qfont.pixelSize() > 0 && qfont.pixelSize() < 20);
        QVERIFY(std::abs(QFontMetricsF(qfont).height() - 20) <= 1.5);
    }

    void hostileHeightsGiveReadableFonts()
    {
        TFont font;
        font.Name = "DejaVu Sans";
        const auto pixels = [&](std::int32_t height) {
            font.Height = height;
            return desktop::ToQFont(font).pixelSize();
        };
        const int largestCell = pixels(500);
        QVERIFY(largestCell > 1 && largestCell <= 500);
        const struct {
            std::int32_t Height;
            int Pixels;
        } cases[] = {
            {std::numeric_limits<std::int32_t>::min(), 500}, {-65536, 500}, {-501, 500},
            {-500, 500}, {-1, 1}, {501, largestCell}, {65536, largestCell},
            {100000, largestCell}, {std::numeric_limits<std::int32_t>::max(), largestCell},
        };
        for (const auto& c : cases)
            QCOMPARE(pixels(c.Height), c.Pixels);
        QVERIFY(pixels(1) >= 1);

        QFont huge("DejaVu Sans");
        huge.setPointSizeF(1e9);
        desktop::FromQFont(huge, font);
        QCOMPARE(font.Height, -500);
    }

    void pointSizesConvertAtThePixelsPerInch()
    {
        TFont at96;
        desktop::FromQFont(QFont("DejaVu Sans", 12), at96);
        QCOMPARE(at96.Height, -16);
        TFont at120(120);
        desktop::FromQFont(QFont("DejaVu Sans", 9), at120);
        QCOMPARE(at120.Height, -15);
    }

    void plainColoursHaveRedInTheLowByte()
    {
        QCOMPARE(desktop::ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
        QCOMPARE(desktop::ToQColor(store::clNavy), QColor(0, 0, 0x80));
        QCOMPARE(desktop::FromQColor(QColor(0x99, 0x66, 0x33)), 0x00336699);
        QCOMPARE(desktop::FromQColor(QColor(0x99, 0x66, 0x33, 0x40)), 0x00336699);
        QCOMPARE(desktop::FromQColor(QColor()), store::clDefault);
        QCOMPARE(desktop::FromQColor(QColor(Qt::transparent)), store::clNone);
        QCOMPARE(desktop::ToQColor(store::clNone).alpha(), 0);
        QVERIFY(!desktop::ToQColor(store::clDefault).isValid());
    }

    void systemColoursFollowThePalette()
    {
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Text, QColor(1, 2, 3));
        palette.setColor(QPalette::Active, QPalette::Base, QColor(4, 5, 6));
        palette.setColor(QPalette::Active, QPalette::Button, QColor(7, 8, 9));
        palette.setColor(QPalette::Active, QPalette::Highlight, QColor(10, 11, 12));
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(13, 14, 15));
        palette.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(16, 17, 18));
        QCOMPARE(desktop::ToQColor(store::clWindowText, palette), QColor(1, 2, 3));
        QCOMPARE(desktop::ToQColor(store::clWindow, palette), QColor(4, 5, 6));
        QCOMPARE(desktop::ToQColor(store::clBtnFace, palette), QColor(7, 8, 9));
        QCOMPARE(desktop::ToQColor(store::clHighlight, palette), QColor(10, 11, 12));
        QCOMPARE(desktop::ToQColor(store::clGrayText, palette), QColor(13, 14, 15));
        QCOMPARE(desktop::ToQColor(store::clInfoBk, palette), QColor(16, 17, 18));
        QCOMPARE(desktop::ToQColor(store::SystemColor(200), palette),
                 palette.color(QPalette::Active, QPalette::Window));
        QCOMPARE(desktop::ToQColor(store::clWindowText),
                 QGuiApplication::palette().color(QPalette::Active, QPalette::Text));
    }
};

QTEST_MAIN(FontConvertTest)
#include "test_fontconvert.moc"
