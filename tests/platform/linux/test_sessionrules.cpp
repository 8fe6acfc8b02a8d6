// The windowing system the program asks for, by the session it starts in.
#include "platform/linux/sessionrules.h"

#include <QTest>

using orvenna::platform::QtPlatformFor;

class TSessionRulesTest final : public QObject {
    Q_OBJECT

private slots:
    void platformBySession_data()
    {
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("userChoice");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Wayland with an X server") << QByteArray("wayland") << QByteArray("wayland-0")
                                                  << QByteArray(":0") << QByteArray() << QByteArray("xcb");
        QTest::newRow("Wayland display without a session type")
            << QByteArray() << QByteArray("wayland-1") << QByteArray(":1") << QByteArray() << QByteArray("xcb");
        QTest::newRow("Wayland without an X server") << QByteArray("wayland") << QByteArray("wayland-0")
                                                     << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("the user's choice stands") << QByteArray("wayland") << QByteArray("wayland-0")
                                                  << QByteArray(":0") << QByteArray("wayland") << QByteArray();
        QTest::newRow("X11 session") << QByteArray("x11") << QByteArray() << QByteArray(":0") << QByteArray()
                                     << QByteArray();
        QTest::newRow("no display at all") << QByteArray("tty") << QByteArray() << QByteArray() << QByteArray()
                                           << QByteArray();
    }
    void platformBySession()
    {
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, userChoice);
        QFETCH(QByteArray, expected);
        QCOMPARE(QtPlatformFor({sessionType, waylandDisplay, display, userChoice}), expected);
    }
};

QTEST_GUILESS_MAIN(TSessionRulesTest)
#include "test_sessionrules.moc"
