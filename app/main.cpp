// The entry sequence: one copy at a time, the program's state, the calendar window and the
// window manager of the windows beside it, the splash and the first run's notice, the loop.
// Everything is created and connected here; nothing else happens here.

#include "app/appcore.h"
#include "app/calendarform.h"
#include "app/entry.h"
#include "app/windowmanager.h"
#include "app/snapfrm.h"
#include "app/startup.h"
#include "desktop/guiservices.h"
#include "app/systemclock.h"
#include "app/translations.h"
#include "platform/platform.h"

#include <QApplication>

namespace {

// The core and the windows, from creation to the end of the loop.
int Run(orvenna::platform::TPlatform& system)
{
    using namespace orvenna;
    app::TSystemClock clock;
    const QString folder = system.ProgramFolder();
    app::TEntryHooks hooks;
    hooks.FolderFailure = system.PrepareProgramFolder();
    app::TAppCore core(system, clock, folder);
    // An error box captioned "Orvenna" above every window.
    QObject::connect(&core, &app::TAppCore::ErrorReported, &core,
                     [](const QString& text) { desktop::ShowError(nullptr, text); });
    app::TCalendarForm calendar(core);
    new app::TWindowManager(core, calendar);  // the calendar's child

    // The splash (holding the hot key), the first run's notice, then the calendar on screen.
    // The start-up benchmark (bench/measure_startup.sh) leaves the splash's hold out.
    hooks.HoldSplash = !qEnvironmentVariableIsSet("ORVENNA_BENCH_NO_SPLASH_HOLD");
    const std::unique_ptr<app::TSnapForm> splash = app::StartWindows(core, calendar, hooks);
    return QApplication::exec();
}

}  // namespace

int main(int argc, char* argv[])
{
    using namespace orvenna;

    std::unique_ptr<platform::TPlatform> system = platform::CreateSystemPlatform();
    // A second copy ends at once, silently, before it touches the display.
    if (!system->AcquireSingleInstance(QString::fromLatin1(app::SingleInstanceName)))
        return 0;

    // Only for this program: what it starts (a browser for a web address) chooses its own.
    const QByteArray windowing = platform::PreferredQtPlatform();
    if (!windowing.isEmpty())
        qputenv("QT_QPA_PLATFORM", windowing);
    QApplication application(argc, argv);
    if (!windowing.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    // The name only: a display name set here would be appended to every window's caption
    // ("Note and Reminder — Orvenna"), and the captions are the windows' own.
    QApplication::setApplicationName(QString::fromLatin1(desktop::ProgramCaption));
    // The installed menu entry's name, so that a desktop shows its icon for the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orvenna.Orvenna"));
    QApplication::setQuitOnLastWindowClosed(true);
    app::InstallTranslations(application);
    // Every window without a picture of its own, the task-bar entry among them, shows the
    // program's.
    QApplication::setWindowIcon(desktop::ProgramIcon());
    return Run(*system);
}
