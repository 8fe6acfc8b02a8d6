// The panel found from the area that panels leave free on a screen.

#include "platform/qtplatform.h"

#include <QTest>

using orvenna::platform::PanelFromWorkArea;

Q_DECLARE_METATYPE(std::optional<QRect>)

class TScreensTest final : public QObject {
    Q_OBJECT
private slots:
    void PanelFromWorkArea_data();
    void PanelFromWorkArea();
};

void TScreensTest::PanelFromWorkArea_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("work");
    QTest::addColumn<std::optional<QRect>>("panel");
    const QRect screen(0, 0, 1280, 800);
    QTest::newRow("bottom") << screen << QRect(0, 0, 1280, 772) << std::optional(QRect(0, 772, 1280, 28));
    QTest::newRow("top") << screen << QRect(0, 30, 1280, 770) << std::optional(QRect(0, 0, 1280, 30));
    QTest::newRow("left") << screen << QRect(48, 0, 1232, 800) << std::optional(QRect(0, 0, 48, 800));
    QTest::newRow("right") << screen << QRect(0, 0, 1232, 800) << std::optional(QRect(1232, 0, 48, 800));
    QTest::newRow("deepest of two wins") << screen << QRect(0, 24, 1280, 736)
                                         << std::optional(QRect(0, 760, 1280, 40));
    QTest::newRow("second screen to the right") << QRect(1280, 0, 1024, 768) << QRect(1280, 0, 1024, 740)
                                                << std::optional(QRect(1280, 740, 1024, 28));
    QTest::newRow("nothing reserved") << screen << screen << std::optional<QRect>();
    QTest::newRow("work area spans more screens") << screen << QRect(-1024, 0, 3328, 800)
                                                  << std::optional<QRect>();
    QTest::newRow("work area elsewhere") << screen << QRect(2000, 0, 100, 100) << std::optional<QRect>();
}

void TScreensTest::PanelFromWorkArea()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, work);
    QFETCH(std::optional<QRect>, panel);
    QCOMPARE(orvenna::platform::PanelFromWorkArea(screen, work), panel);
}

QTEST_GUILESS_MAIN(TScreensTest)
#include "test_screens.moc"
