// Without an X11 display (offscreen here, Wayland for users) the X11 services decline and
// leave windows as plain frameless ones.
#include "platform/platform.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

class TOffscreenPlatformTest final : public QObject {
    Q_OBJECT

private slots:
    void servicesDecline()
    {
        auto platform = orvenna::platform::CreateSystemPlatform();
        QVERIFY(!platform->CanAttachToDesktop());
        QVERIFY(!platform->CanRegisterHotKey());
        QVERIFY(!platform->CanShowTrayIcon());
        QVERIFY(!platform->RegisterHotKey(platform->DefaultHotKey()));
        platform->UnregisterHotKey();

        QWidget window;
        platform->SetTaskBarPresence(&window, false);
        platform->AttachToDesktop(&window);
        window.show();
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

QTEST_MAIN(TOffscreenPlatformTest)
#include "test_offscreen.moc"
