// The real calendar on a virtual X server with openbox (scripts/xsession.sh): the program's
// state and its calendar are created as the program creates them, with the system's own
// platform, and the window that is mapped is read back as task bars and pagers see it.
#include "app/appcore.h"
#include "app/calendarform.h"
#include "platform/platform.h"
#include "store/settings.h"
#include "tests/support/calendarrig.h"
#include "tests/support/xprops.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace orvenna;

namespace {

using test::Hex;
using test::ListedWindows;
using test::Run;
constexpr int Deadline = test::XDeadline;
QString Property(quint64 id, const QString& name) { return test::XProperty(id, name); }
bool IsViewable(quint64 id) { return test::XViewable(id); }

// A program folder with the shipped pictures and the settings of the case.
struct TProgram {
    explicit TProgram(bool hideInTheTray)
    {
        Folder = Dir.path() + QLatin1Char('/');
        test::CopyShippedImages(Folder);
        store::TCalSetting settings;
        settings.HideInTheTray = hideInTheTray;
        settings.SaveToFile((Folder + QLatin1String(app::SettingsFileName)).toStdString());
        Clock.Day = test::DayCount(test::Today);
        Core = std::make_unique<app::TAppCore>(*Platform, Clock, Folder);
        Calendar = std::make_unique<app::TCalendarForm>(*Core);
        Calendar->Start();
    }
    // Read anew every time: the id the window has now, the one that is mapped.
    quint64 Id() const { return Calendar->windowHandle()->winId(); }

    QTemporaryDir Dir;
    QString Folder;
    std::unique_ptr<platform::TPlatform> Platform = platform::CreateSystemPlatform();
    test::TFakeClock Clock;
    std::unique_ptr<app::TAppCore> Core;
    std::unique_ptr<app::TCalendarForm> Calendar;
};

// The managed windows from the bottom of the stack to its top.
QList<quint64> Stacking()
{
    QList<quint64> ids;
    static const QRegularExpression hex("0x[0-9a-f]+");
    const QString list = Run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}).section('#', 1);
    for (const auto& match : hex.globalMatch(list))
        ids << match.captured().toULongLong(nullptr, 16);
    return ids;
}

// The window on top of every other one on screen; 0 when none is.
quint64 TopViewable()
{
    const QList<quint64> stack = Stacking();
    for (auto id = stack.rbegin(); id != stack.rend(); ++id)
        if (IsViewable(*id))
            return *id;
    return 0;
}

// Another program's window over the left of the screen; null when it does not come.
struct TCover {
    TCover()
    {
        Process.start("xmessage", {"-title", "orvenna-cover", "-geometry", "700x500+0+0", "cover"});
        const auto find = [] {
            return Run("xdotool", {"search", "--name", "^orvenna-cover$"}).section('\n', 0, 0).toULongLong();
        };
        QTRY_VERIFY_WITH_TIMEOUT((Id = find()) != 0, Deadline);
    }
    ~TCover()
    {
        Process.kill();
        Process.waitForFinished(Deadline);
    }
    QProcess Process;
    quint64 Id = 0;
};

}  // namespace

class TCalendarX11Test final : public QObject {
    Q_OBJECT

private slots:
    void calendarLivesOnTheDesktop_data()
    {
        QTest::addColumn<bool>("hideInTheTray");
        QTest::newRow("task-bar entry") << false;
        QTest::newRow("tray only") << true;
    }

    void calendarLivesOnTheDesktop()
    {
        QFETCH(bool, hideInTheTray);
        TProgram program(hideInTheTray);
        QTRY_VERIFY_WITH_TIMEOUT(Property(program.Id(), "WM_STATE").contains("Normal"), Deadline);
        QVERIFY(IsViewable(program.Id()));
        QVERIFY(Property(program.Id(), "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DESKTOP"));
        // openbox records STICKY as "every workspace" and may drop the state itself.
        QTRY_VERIFY_WITH_TIMEOUT(Property(program.Id(), "_NET_WM_DESKTOP").contains("4294967295"), Deadline);
        // The states come with the window manager's answer to the request made after mapping.
        for (const char* state : {"BELOW", "SKIP_TASKBAR", "SKIP_PAGER"})
            QTRY_VERIFY_WITH_TIMEOUT(Property(program.Id(), "_NET_WM_STATE")
                                         .contains(QStringLiteral("_NET_WM_STATE_%1").arg(state)),
                                     Deadline);

        // The one listed window is the program's task-bar entry, minimised; none without it.
        QList<quint64> listed;
        QTRY_COMPARE_WITH_TIMEOUT((listed = ListedWindows()).size(), hideInTheTray ? 0 : 1, Deadline);
        if (!hideInTheTray) {
            QVERIFY(listed.front() != program.Id());
            QVERIFY(Property(listed.front(), "WM_NAME").contains("\"Orvenna\""));
            QTRY_VERIFY_WITH_TIMEOUT(Property(listed.front(), "WM_STATE").contains("Iconic"), Deadline);
        }

        // "Show desktop" and another workspace leave the calendar on screen.
        // Each step is done once the window manager announces it on the root window.
        const struct {
            QStringList Step;
            const char* Property;
            const char* Done;
        } steps[] = {{{"-k", "on"}, "_NET_SHOWING_DESKTOP", "= 1"},
                     {{"-k", "off"}, "_NET_SHOWING_DESKTOP", "= 0"},
                     {{"-s", "1"}, "_NET_CURRENT_DESKTOP", "= 1"},
                     {{"-s", "0"}, "_NET_CURRENT_DESKTOP", "= 0"}};
        for (const auto& [step, property, done] : steps) {
            Run("wmctrl", step);
            QTRY_VERIFY_WITH_TIMEOUT(Run("xprop", {"-root", property}).contains(done), Deadline);
            QVERIFY2(IsViewable(program.Id()), qPrintable(step.join(' ')));
        }
        QTRY_COMPARE_WITH_TIMEOUT(ListedWindows().size(), hideInTheTray ? 0 : 1, Deadline);
    }

    // Activating the task-bar entry, as a task bar does, brings the program's open windows (a
    // covered one and a minimised one) above the other program's window; with none open it
    // leaves the stack alone. Either way the entry goes back to its minimised state.
    void taskBarEntryBringsTheProgramForward_data()
    {
        QTest::addColumn<int>("openWindows");
        QTest::newRow("nothing open") << 0;
        QTest::newRow("a covered window and a minimised one") << 2;
    }
    void taskBarEntryBringsTheProgramForward()
    {
        QFETCH(int, openWindows);
        TProgram program(false);
        QList<quint64> listed;
        QTRY_COMPARE_WITH_TIMEOUT((listed = ListedWindows()).size(), 1, Deadline);
        const quint64 entry = listed.front();
        QTRY_VERIFY_WITH_TIMEOUT(Property(entry, "WM_STATE").contains("Iconic"), Deadline);

        std::vector<std::unique_ptr<QWidget>> windows;
        for (int i = 0; i < openWindows; ++i) {
            auto window = std::make_unique<QWidget>();
            window->setWindowTitle(QStringLiteral("Editor %1").arg(i));
            window->setGeometry(50 + 40 * i, 50 + 40 * i, 300, 200);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            windows.push_back(std::move(window));
        }
        TCover cover;
        QVERIFY(cover.Id != 0);
        if (openWindows > 1) {
            windows.back()->showMinimized();
            QTRY_VERIFY_WITH_TIMEOUT(Property(windows.back()->winId(), "WM_STATE").contains("Iconic"), Deadline);
        }
        QTRY_COMPARE_WITH_TIMEOUT(TopViewable(), cover.Id, Deadline);

        // The entry's own window in this process tells when the activation has arrived.
        QWindow* entryWindow = nullptr;
        for (QWindow* window : QGuiApplication::topLevelWindows())
            if (window->handle() && window->winId() == entry)
                entryWindow = window;
        QVERIFY(entryWindow);
        QSignalSpy states(entryWindow, &QWindow::windowStateChanged);
        Run("wmctrl", {"-i", "-a", Hex(entry)});  // _NET_ACTIVE_WINDOW, as a task bar sends it
        QTRY_VERIFY_WITH_TIMEOUT(!states.isEmpty(), Deadline);
        for (const auto& window : windows) {
            QTRY_VERIFY_WITH_TIMEOUT(IsViewable(window->winId()), Deadline);
            QTRY_VERIFY_WITH_TIMEOUT(Stacking().indexOf(window->winId()) > Stacking().indexOf(cover.Id),
                                     Deadline);
        }
        QTRY_VERIFY_WITH_TIMEOUT(Property(entry, "WM_STATE").contains("Iconic"), Deadline);
        if (openWindows == 0)
            QCOMPARE(TopViewable(), cover.Id);
        QVERIFY(IsViewable(program.Id()));
    }
};

QTEST_MAIN(TCalendarX11Test)
#include "test_calendarx11.moc"
