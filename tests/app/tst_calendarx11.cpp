// The real calendar on a virtual X server with openbox (scripts/xsession.sh): the program's
// state and its calendar are created as the program creates them, with the system's own
// platform, and the window that is mapped is read back as task bars and pagers see it.
#include "app/appcore.h"
#include "app/calendarform.h"
#include "platform/platform.h"
#include "store/settings.h"
#include "tests/app/calendarrig.h"
#include "tests/support/xprops.h"

#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_MAIN(TCalendarX11Test)
#include "tst_calendarx11.moc"
