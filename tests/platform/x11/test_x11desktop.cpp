// The X11 services of the Linux adapter on a virtual X server with openbox, a tray host and a
// null sound sink (scripts/xsession.sh). Window properties are read back with xprop, as any
// task bar or pager would see them.
#include "platform/platform.h"
#include "tests/support/xprops.h"

#include <QApplication>
#include <QDataStream>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

using orvenna::platform::TPlatform;

namespace {

using orvenna::test::ListedWindows;
using orvenna::test::Run;
constexpr int Deadline = orvenna::test::XDeadline;

// The native window the widget has now (QWidget::winId() can name one that Qt replaced).
quint64 Id(const QWidget& window) { return window.windowHandle()->winId(); }
QString Hex(const QWidget& window) { return orvenna::test::Hex(Id(window)); }

QString Property(const QWidget& window, const QString& name)
{
    return Run("xprop", {"-id", Hex(window), name});
}

bool IsManaged(const QWidget& window) { return Property(window, "WM_STATE").contains("Normal"); }

bool IsViewable(const QWidget& window)
{
    return Run("xwininfo", {"-id", Hex(window)}).contains("IsViewable");
}

QPoint ScreenPosition(const QWidget& window)
{
    const QString info = Run("xwininfo", {"-id", Hex(window)});
    static const QRegularExpression corner(R"(upper-left X:\s+(-?\d+)\s+Absolute upper-left Y:\s+(-?\d+))");
    const auto match = corner.match(info);
    return match.hasMatch() ? QPoint(match.captured(1).toInt(), match.captured(2).toInt()) : QPoint(-1, -1);
}

// Client windows from bottom to top, as the window manager stacks them.
std::vector<quint64> Stacking()
{
    std::vector<quint64> ids;
    const QString text = Run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    static const QRegularExpression hex("0x[0-9a-f]+");
    for (const auto& match : hex.globalMatch(text.section('#', 1)))
        ids.push_back(match.captured().toULongLong(nullptr, 16));
    return ids;
}

bool IsBelow(const QWidget& lower, const QWidget& upper)
{
    const auto ids = Stacking();
    const auto low = std::find(ids.begin(), ids.end(), Id(lower));
    const auto high = std::find(ids.begin(), ids.end(), Id(upper));
    return low != ids.end() && high != ids.end() && low < high;
}

struct TCalendarLike {
    QWidget Window;
    explicit TCalendarLike(TPlatform& platform, std::optional<bool> taskBarEntry = {})
    {
        Window.resize(296, 216);
        Window.move(900, 500);
        if (taskBarEntry)
            platform.SetTaskBarPresence(&Window, *taskBarEntry);
        platform.AttachToDesktop(&Window);
        Window.show();
    }
};

// Whether the window got a paint, and how many of the program's other top-level windows were
// shown at its first.
struct TFirstPaint final : QObject {
    explicit TFirstPaint(QWidget& window) { window.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !Seen) {
            Seen = true;
            const QWidgetList all = QApplication::topLevelWidgets();
            OthersShown = int(std::count_if(all.begin(), all.end(), [watched](const QWidget* w) {
                return w != watched && w->isVisible();
            }));
        }
        return false;
    }
    bool Seen = false;
    int OthersShown = -1;
};

}  // namespace

class TX11DesktopTest final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TPlatform> Platform = orvenna::platform::CreateSystemPlatform();

    static QProcess* StartHelper(QObject* parent, const QStringList& arguments)
    {
        auto* helper = new QProcess(parent);
        helper->start(ORVENNA_X11_HELPER, arguments);
        return helper;
    }

private slots:
    void capabilitiesOnX11()
    {
        QVERIFY(Platform->CanAttachToDesktop());
        QVERIFY(Platform->CanRegisterHotKey());
        QVERIFY(Platform->CanShowTrayIcon());
    }

    void attachedWindowLivesOnTheDesktop()
    {
        TCalendarLike calendar(*Platform);
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(calendar.Window), Deadline);
        QVERIFY(calendar.Window.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(Property(calendar.Window, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DESKTOP"));
        const QString states = Property(calendar.Window, "_NET_WM_STATE");
        for (const char* state : {"BELOW", "SKIP_TASKBAR", "SKIP_PAGER"})
            QVERIFY2(states.contains(QStringLiteral("_NET_WM_STATE_%1").arg(state)), qPrintable(states));
        // openbox records STICKY as "every workspace" and drops the state itself.
        QVERIFY(Property(calendar.Window, "_NET_WM_DESKTOP").contains("4294967295"));

        QWidget ordinary;
        ordinary.resize(400, 300);
        ordinary.move(850, 450);
        ordinary.show();
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(ordinary), Deadline);
        QTRY_VERIFY_WITH_TIMEOUT(IsBelow(calendar.Window, ordinary), Deadline);
        // A window that gets activated ends "show desktop": let the new one settle first.
        QVERIFY(QTest::qWaitForWindowActive(&ordinary, Deadline));
        // "Show desktop", asked for as task bars ask, hides the ordinary window and keeps the
        // calendar.
        Run("wmctrl", {"-k", "on"});
        QTRY_VERIFY_WITH_TIMEOUT(!IsViewable(ordinary), Deadline);
        QVERIFY(IsViewable(calendar.Window));
        Run("wmctrl", {"-k", "off"});
        QTRY_VERIFY_WITH_TIMEOUT(IsViewable(ordinary), Deadline);

        // On another workspace the ordinary window is gone and the calendar is there.
        Run("xdotool", {"set_desktop", "1"});
        QTRY_VERIFY_WITH_TIMEOUT(!IsViewable(ordinary), Deadline);
        QVERIFY(IsViewable(calendar.Window));
        Run("xdotool", {"set_desktop", "0"});
        QTRY_VERIFY_WITH_TIMEOUT(IsViewable(ordinary), Deadline);

        // Asked to come to the front, it still stays under ordinary windows. The window
        // manager handles requests in order, so once the later move is done so is the raise.
        Run("xdotool", {"windowactivate", QString::number(Id(calendar.Window))});
        Run("xdotool", {"windowraise", QString::number(Id(calendar.Window))});
        Run("xdotool", {"windowmove", "--sync", QString::number(Id(ordinary)), "840", "440"});
        QVERIFY(IsBelow(calendar.Window, ordinary));

        // The window manager offers no move loop for desktop windows, but it lets the program
        // place the window itself: that is how a drag has to move it.
        calendar.Window.move(700, 300);
        QTRY_VERIFY_WITH_TIMEOUT(ScreenPosition(calendar.Window) == QPoint(700, 300), Deadline);
    }

    // However the native window comes and goes before the show, the one that is mapped is
    // the desktop's. Qt makes a new native window whenever the flags change.
    void attachmentReachesTheMappedWindow_data()
    {
        QTest::addColumn<int>("order");
        QTest::newRow("winId, attach, show") << 0;
        QTest::newRow("attach, winId, show") << 1;
        QTest::newRow("winId, attach, new flags, show") << 2;
        QTest::newRow("show, attach") << 3;
    }

    void attachmentReachesTheMappedWindow()
    {
        QFETCH(int, order);
        QWidget window;
        window.resize(296, 216);
        if (order == 3)
            window.show();
        if (order != 1)
            window.winId();
        Platform->AttachToDesktop(&window);
        if (order == 1)
            window.winId();
        if (order == 2)
            window.setWindowFlags(window.windowFlags() | Qt::WindowDoesNotAcceptFocus);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(window) && IsViewable(window), Deadline);
        QTRY_VERIFY_WITH_TIMEOUT(Property(window, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DESKTOP"),
                                 Deadline);
        QTRY_VERIFY_WITH_TIMEOUT(Property(window, "_NET_WM_DESKTOP").contains("4294967295"), Deadline);
        for (const char* state : {"BELOW", "SKIP_TASKBAR", "SKIP_PAGER"})
            QTRY_VERIFY_WITH_TIMEOUT(
                Property(window, "_NET_WM_STATE").contains(QStringLiteral("_NET_WM_STATE_%1").arg(state)),
                Deadline);
    }

    // With a task-bar entry the window itself stays on the desktop; the entry, a separate
    // minimised window with its title, is the one listed, and goes with the wish.
    void taskBarEntryIsASeparateWindow()
    {
        TCalendarLike calendar(*Platform, true);
        calendar.Window.setWindowTitle("Orvenna");
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(calendar.Window), Deadline);
        for (const bool visible : {true, false, true}) {
            Platform->SetTaskBarPresence(&calendar.Window, visible);
            QList<quint64> listed;
            QTRY_COMPARE_WITH_TIMEOUT((listed = ListedWindows()).size(), visible ? 1 : 0, Deadline);
            QVERIFY(Property(calendar.Window, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DESKTOP"));
            QVERIFY(Property(calendar.Window, "_NET_WM_STATE").contains("SKIP_TASKBAR"));
            if (visible) {
                QVERIFY(listed.front() != Id(calendar.Window));
                QTRY_VERIFY_WITH_TIMEOUT(orvenna::test::XProperty(listed.front(), "WM_STATE").contains("Iconic"),
                                         Deadline);
            }
        }
        // The entry goes with the window.
        calendar.Window.hide();
        QTRY_COMPARE_WITH_TIMEOUT(ListedWindows().size(), 0, Deadline);

        QWidget ordinary;
        ordinary.show();
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(ordinary), Deadline);
        calendar.Window.show();
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(calendar.Window), Deadline);
        QTRY_VERIFY_WITH_TIMEOUT(IsBelow(calendar.Window, ordinary), Deadline);
    }

    // The entry is a window of its own: it comes after the window's first paint, so as not to
    // delay it, and after a wait for a window that gets no paint.
    void taskBarEntryFollowsTheFirstPaint_data()
    {
        QTest::addColumn<bool>("painted");
        QTest::newRow("window painted") << true;
        QTest::newRow("window never painted") << false;
    }

    void taskBarEntryFollowsTheFirstPaint()
    {
        QFETCH(bool, painted);
        QWidget window;
        window.resize(296, 216);
        window.setUpdatesEnabled(painted);
        Platform->SetTaskBarPresence(&window, true);
        Platform->AttachToDesktop(&window);
        TFirstPaint firstPaint(window);
        QElapsedTimer shown;
        shown.start();
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(ListedWindows().size(), 1, Deadline);
        QCOMPARE(firstPaint.Seen, painted);
        if (painted)
            QCOMPARE(firstPaint.OthersShown, 0);
        else
            QVERIFY(shown.elapsed() >= 900);
    }

    void statesSurviveHideAndShow()
    {
        TCalendarLike calendar(*Platform);
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(calendar.Window), Deadline);
        calendar.Window.hide();
        // The window manager forgets the states of a withdrawn window.
        QTRY_VERIFY_WITH_TIMEOUT(!Property(calendar.Window, "_NET_WM_STATE").contains("SKIP_PAGER"), Deadline);
        calendar.Window.show();
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(calendar.Window), Deadline);
        const QString states = Property(calendar.Window, "_NET_WM_STATE");
        for (const char* state : {"BELOW", "SKIP_TASKBAR", "SKIP_PAGER"})
            QVERIFY2(states.contains(QStringLiteral("_NET_WM_STATE_%1").arg(state)), qPrintable(states));
        QVERIFY(Property(calendar.Window, "_NET_WM_DESKTOP").contains("4294967295"));
    }

    void taskBarPresenceOfAnOrdinaryWindow()
    {
        QWidget window;
        window.winId();
        Platform->SetTaskBarPresence(&window, false);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(IsManaged(window), Deadline);
        QVERIFY(Property(window, "_NET_WM_STATE").contains("SKIP_TASKBAR"));
        QVERIFY(Property(window, "_NET_WM_WINDOW_TYPE").contains("NORMAL"));
        Platform->SetTaskBarPresence(&window, true);
        QTRY_VERIFY_WITH_TIMEOUT(!Property(window, "_NET_WM_STATE").contains("SKIP_TASKBAR"), Deadline);
    }

    void hotKeyReachesTheHandler()
    {
        int presses = 0;
        const QMetaObject::Connection counting =
            connect(Platform.get(), &TPlatform::HotKeyPressed, this, [&presses] { ++presses; });
        QVERIFY(Platform->RegisterHotKey(Platform->DefaultHotKey()));
        Run("xdotool", {"key", "super+space"});
        QTRY_COMPARE_WITH_TIMEOUT(presses, 1, Deadline);
        // Also while a window of our own has the keyboard.
        QWidget focused;
        focused.show();
        QVERIFY(QTest::qWaitForWindowActive(&focused, Deadline));
        Run("xdotool", {"key", "super+space"});
        QTRY_COMPARE_WITH_TIMEOUT(presses, 2, Deadline);

        // Held by us: another client is refused.
        QProcess* other = StartHelper(this, {"hotkey"});
        QVERIFY(other->waitForFinished(Deadline));
        QCOMPARE(other->readAllStandardOutput().trimmed(), QByteArray("taken"));
        QCOMPARE(other->exitCode(), 1);

        // Another combination takes the place of the first, which is free again.
        QVERIFY(Platform->RegisterHotKey({Qt::Key_N, Qt::ControlModifier | Qt::AltModifier}));
        Run("xdotool", {"key", "ctrl+alt+n"});
        QTRY_COMPARE_WITH_TIMEOUT(presses, 3, Deadline);
        QProcess* next = StartHelper(this, {"hotkey"});
        QVERIFY(next->waitForReadyRead(Deadline));
        QCOMPARE(next->readAllStandardOutput().trimmed(), QByteArray("grabbed"));
        next->closeWriteChannel();
        QVERIFY(next->waitForFinished(Deadline));
        Platform->UnregisterHotKey();
        disconnect(counting);
    }

    void hotKeyTakenByAnotherClient()
    {
        QProcess* other = StartHelper(this, {"hotkey"});
        QVERIFY(other->waitForReadyRead(Deadline));
        QCOMPARE(other->readAllStandardOutput().trimmed(), QByteArray("grabbed"));
        QVERIFY(!Platform->RegisterHotKey(Platform->DefaultHotKey()));
        other->closeWriteChannel();
        QVERIFY(other->waitForFinished(Deadline));
        QVERIFY(Platform->RegisterHotKey(Platform->DefaultHotKey()));
        Platform->UnregisterHotKey();
    }

    void singleInstanceAgainstAChild()
    {
        const QString name = QStringLiteral("x11test-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(Platform->AcquireSingleInstance(name));
        QProcess* second = StartHelper(this, {"lock", name});
        QVERIFY(second->waitForFinished(Deadline));
        QCOMPARE(second->exitCode(), 1);
    }

    void singleInstanceFreedByAKill()
    {
        const QString name = QStringLiteral("killed-%1").arg(QCoreApplication::applicationPid());
        QProcess* first = StartHelper(this, {"lock", name});
        QVERIFY(first->waitForReadyRead(Deadline));
        QProcess* second = StartHelper(this, {"lock", name});
        QVERIFY(second->waitForFinished(Deadline));
        QCOMPARE(second->exitCode(), 1);

        first->kill();  // SIGKILL: no chance to clean up
        QVERIFY(first->waitForFinished(Deadline));
        QProcess* third = StartHelper(this, {"lock", name});
        QVERIFY(third->waitForReadyRead(Deadline));
        QCOMPARE(third->readAllStandardOutput().trimmed(), QByteArray("held"));
        third->closeWriteChannel();
        QVERIFY(third->waitForFinished(Deadline));
        QCOMPARE(third->exitCode(), 0);
    }

    void tenStartsOneWinner()
    {
        const QString name = QStringLiteral("ten-%1").arg(QCoreApplication::applicationPid());
        std::vector<QProcess*> starts;
        for (int i = 0; i < 10; ++i)
            starts.push_back(StartHelper(this, {"lock", name}));
        const auto running = [&starts] {
            return std::count_if(starts.begin(), starts.end(),
                                 [](QProcess* p) { return p->state() != QProcess::NotRunning; });
        };
        // The losers end at once; the winner holds the lock until told to stop.
        QTRY_COMPARE_WITH_TIMEOUT(running(), 1, Deadline);
        QProcess* winner = nullptr;
        for (QProcess* start : starts) {
            if (start->state() != QProcess::NotRunning)
                winner = start;
            else
                QCOMPARE(start->exitCode(), 1);
        }
        QTRY_VERIFY_WITH_TIMEOUT(winner->canReadLine(), Deadline);
        QCOMPARE(winner->readAllStandardOutput().trimmed(), QByteArray("held"));
        winner->closeWriteChannel();
        QVERIFY(winner->waitForFinished(Deadline));
    }

    // A resized screen reaches every listener, and the screen list follows it.
    void screenChangeReachesEveryListener()
    {
        int first = 0;
        int second = 0;
        const auto a = connect(Platform.get(), &TPlatform::ScreensChanged, this, [&] { ++first; });
        const auto b = connect(Platform.get(), &TPlatform::ScreensChanged, this, [&] { ++second; });
        const QRect before = Platform->PrimaryScreen();
        const QSize smaller(1024, 672);
        // The virtual screen has a single mode; a smaller one is added and chosen.
        const QString output = Run("xrandr", {}).section(QLatin1Char('\n'), 1, 1).section(u' ', 0, 0);
        Run("xrandr", {"--newmode", "orvenna-small", "10", "1024", "1030", "1040", "1050", "672",
                       "675", "680", "690"});
        Run("xrandr", {"--addmode", output, "orvenna-small"});
        Run("xrandr", {"--output", output, "--mode", "orvenna-small"});
        QTRY_VERIFY_WITH_TIMEOUT(first > 0 && second > 0, Deadline);
        QTRY_COMPARE_WITH_TIMEOUT(Platform->Screens().value(0).Geometry.size(), smaller, Deadline);
        QCOMPARE(Platform->Screens().value(0).WorkArea, Platform->WorkArea());
        Run("xrandr", {"--output", output, "--mode",
                       QStringLiteral("%1x%2").arg(before.width()).arg(before.height())});
        QTRY_COMPARE_WITH_TIMEOUT(Platform->PrimaryScreen(), before, Deadline);
        disconnect(a);
        disconnect(b);
    }

    void playSound()
    {
        QVERIFY(!Platform->PlaySound(QStringLiteral("/nonexistent/alert.wav")));
        QVERIFY(!Platform->PlaySound(QString()));

        // A tenth of a second of a quiet 440 Hz tone, 8 kHz, 16-bit mono.
        QTemporaryDir dir;
        QFile file(dir.filePath("tone.wav"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        constexpr quint32 Samples = 800;
        QDataStream out(&file);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("RIFF", 4);
        out << quint32(36 + Samples * 2);
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000)
            << quint16(2) << quint16(16);
        out.writeRawData("data", 4);
        out << quint32(Samples * 2);
        for (quint32 i = 0; i < Samples; ++i)
            out << qint16(i % 18 < 9 ? 2000 : -2000);
        file.close();
        QVERIFY(Platform->PlaySound(file.fileName()));
    }

    // What openbox offers on a dialog's title bar, read from its allowed actions: a dialog of
    // fixed size keeps move and close and loses minimise and maximise (openbox draws a button
    // for each action it allows there), also when shown again; it still takes the focus. A
    // dialog the user may resize keeps them.
    void dialogButtonsFollowTheSize_data()
    {
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<int>("shows");
        QTest::newRow("fixed size") << true << 1;
        QTest::newRow("fixed size, shown again") << true << 2;
        QTest::newRow("resizable") << false << 1;
    }
    void dialogButtonsFollowTheSize()
    {
        QFETCH(bool, fixed);
        QFETCH(int, shows);
        QDialog dialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                    Qt::WindowCloseButtonHint);
        dialog.setWindowTitle(QStringLiteral("Settings"));
        auto* line = new QLineEdit(&dialog);
        line->move(10, 10);
        if (fixed)
            dialog.setFixedSize(300, 200);
        else
            dialog.resize(300, 200);
        QString actions;
        for (int i = 0; i < shows; ++i) {
            dialog.hide();
            dialog.show();
            QTRY_VERIFY_WITH_TIMEOUT(IsManaged(dialog), Deadline);
            QTRY_VERIFY_WITH_TIMEOUT(
                (actions = Property(dialog, "_NET_WM_ALLOWED_ACTIONS")).contains("CLOSE"), Deadline);
        }
        QVERIFY(actions.contains("_NET_WM_ACTION_MOVE"));
        QCOMPARE(actions.contains("_NET_WM_ACTION_MINIMIZE"), !fixed);
        QCOMPARE(actions.contains("_NET_WM_ACTION_MAXIMIZE"), !fixed);
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog, Deadline));
        QCOMPARE(Run("xdotool", {"getwindowfocus"}).trimmed().toULongLong(), Id(dialog));
    }
};

QTEST_MAIN(TX11DesktopTest)
#include "test_x11desktop.moc"
