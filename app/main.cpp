// The entry sequence: one copy at a time, the tools object, the calendar window, the loop.
// Everything is created here and handed to the windows; nothing else happens here.

#include "app/calendarform.h"
#include "platform/clock.h"
#include "desktop/guitool.h"
#include "platform/platform.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    using namespace orvenna;

    std::unique_ptr<platform::TPlatform> system = platform::CreateSystemPlatform();
    // A second copy ends at once, silently, before it touches the display.
    if (!system->AcquireSingleInstance(QString::fromLatin1(app::SingleInstanceName)))
        return 0;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvenna"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvenna"));
    QApplication::setQuitOnLastWindowClosed(true);

    desktop::TGUITools tools(*system);
    desktop::GUITools = &tools;

    platform::TSystemClock clock;
    const QString folder = system->ProgramFolder();
    app::TCalendarForm calendar(*system, clock, folder);

    // The first-run notice and the splash are windows of their own; the marker is written
    // here either way so that the notice, once it exists, shows on the first run only.
    [[maybe_unused]] const bool firstRun = app::MarkFirstRun(folder);

    calendar.Start();
    const int status = QApplication::exec();
    desktop::GUITools = nullptr;
    return status;
}
