// The clipboard and the web-address rule of the Linux adapter. The program folder is tested
// with the autostart entry, by copies of a test program under hostile names.

#include "platform/linux/linuxplatform.h"
#include "platform/linux/shellrules.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

using orvenna::platform::TLinuxPlatform;
using orvenna::platform::WebAddress;

class TShellTest final : public QObject {
    Q_OBJECT

private slots:
    void clipboardGetsPlainText()
    {
        TLinuxPlatform platform;
        const QString text = QStringLiteral("12/7/26 9:00:00 AM   create\r\n");
        platform.SetClipboardText(text);
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
    }

    void onlyWebAddressesReachTheDesktop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");  // empty: refused
        QTest::newRow("https") << "https://example.org/a?b=1" << "https://example.org/a?b=1";
        QTest::newRow("bare host") << " www.example.org " << "http://www.example.org";
        QTest::newRow("mail") << "mailto:ann@example.org" << "mailto:ann@example.org";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blank") << "   " << "";
        QTest::newRow("local program") << "/usr/bin/xterm" << "";
        QTest::newRow("file address") << "file:///usr/bin/xterm" << "";
        QTest::newRow("script") << "javascript:alert(1)" << "";
        QTest::newRow("other scheme") << "ftp://example.org/" << "";
        QTest::newRow("no host") << "http://" << "";
    }

    void onlyWebAddressesReachTheDesktop()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        const std::optional<QUrl> url = WebAddress(text);
        QCOMPARE(url ? url->toString() : QString(), address);
        if (address.isEmpty())
            QVERIFY(!TLinuxPlatform().OpenUrl(text));
    }
};

QTEST_MAIN(TShellTest)
#include "test_shell.moc"
