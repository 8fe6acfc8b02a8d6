// Which hot keys the X11 adapter can grab, and with which key sym and modifier mask.
#include "platform/linux/hotkeyrules.h"

#include <QTest>

using orvenna::platform::THotKey;
using orvenna::platform::X11KeyGrabOf;

class THotKeyRulesTest final : public QObject {
    Q_OBJECT

private slots:
    void keysBecomeGrabs_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("keySym");     // 0: refused
        QTest::addColumn<int>("xModifiers");  // Shift 1, Control 4, Mod1 8, Mod4 64
        const int meta = Qt::MetaModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("Super+Space") << int(Qt::Key_Space) << meta << 0x20 << 64;
        QTest::newRow("letters by their small form") << int(Qt::Key_N) << ctrl + alt << 0x6e << 12;
        QTest::newRow("digit") << int(Qt::Key_7) << ctrl + shift << 0x37 << 5;
        QTest::newRow("function key alone") << int(Qt::Key_F5) << 0 << 0xffc2 << 0;
        QTest::newRow("last function key") << int(Qt::Key_F35) << alt << 0xffe0 << 8;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << meta << 0xff55 << 64;
        QTest::newRow("plain letter takes typing") << int(Qt::Key_A) << 0 << 0 << 0;
        QTest::newRow("shifted letter takes typing") << int(Qt::Key_A) << shift << 0 << 0;
        QTest::newRow("plain space takes typing") << int(Qt::Key_Space) << 0 << 0 << 0;
        QTest::newRow("keypad modifier") << int(Qt::Key_5) << ctrl + int(Qt::KeypadModifier) << 0 << 0;
        QTest::newRow("modifier key alone") << int(Qt::Key_Meta) << ctrl << 0 << 0;
        QTest::newRow("unknown key") << int(Qt::Key_unknown) << meta << 0 << 0;
    }

    void keysBecomeGrabs()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, keySym);
        QFETCH(int, xModifiers);
        const auto grab = X11KeyGrabOf({Qt::Key(key), Qt::KeyboardModifiers(modifiers)});
        QCOMPARE(grab.has_value(), keySym != 0);
        if (grab) {
            QCOMPARE(int(grab->KeySym), keySym);
            QCOMPARE(int(grab->Modifiers), xModifiers);
        }
    }

    void textNamesTheCombination()
    {
        QCOMPARE((THotKey{Qt::Key_Space, Qt::MetaModifier}.Text()), QStringLiteral("Meta+Space"));
    }
};

QTEST_MAIN(THotKeyRulesTest)
#include "test_hotkeyrules.moc"
