// A first start (no "Setting.cfg") gives both fonts the default height of the primary screen's
// logical dots per inch: -11 at 96, -16 at 144. Run once on the offscreen platform (96) and
// once on an X display whose Xft.dpi resource is 144 with high-DPI scaling off, so that the
// logical dots per inch are 144 (ORVENNA_TEST_DPI tells the test).
#include "app/appcore.h"
#include "platform/fake/fakeplatform.h"
#include "store/settings.h"
#include "tests/support/fakeclock.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace orvenna;

class TScreenFontTest final : public QObject {
    Q_OBJECT

private slots:
    void firstStartFontsFollowTheScreen()
    {
        // Worked out by hand for the dots per inch each run is given.
        const int dpi = qEnvironmentVariableIsSet("ORVENNA_TEST_DPI") ? 144 : 96;
        const int height = dpi == 144 ? -16 : -11;
        QCOMPARE(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()), dpi);

        QTemporaryDir dir;
        platform::TFakePlatform platform;
        test::TFakeClock clock;
        app::TAppCore core(platform, clock, dir.path() + QLatin1Char('/'));
        QCOMPARE(core.Settings().TitleFont.Height, height);
        QCOMPARE(core.Settings().SubFont.Height, height);
        QCOMPARE(core.Settings().TitleFont.Size(), 8);
    }
};

QTEST_MAIN(TScreenFontTest)
#include "test_screenfont.moc"
