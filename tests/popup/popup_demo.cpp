// Shows two stacked alert popups with the calendar's settings and quits after a few seconds.
// For screenshots under a real X server and window manager; not installed.
// Arguments: seconds to run (6), slide speed in pixels per step (9).

#include "platform/platform.h"
#include "popup/slidepopup.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::unique_ptr<orvenna::platform::TPlatform> platform =
        orvenna::platform::CreateSystemPlatform();
    orvenna::popup::TSlidePopUp alert(*platform);
    alert.SetTimeOut(0);  // stay put for the picture
    if (argc > 2)
        alert.SetScrollSpeed(QString::fromLocal8Bit(argv[2]).toInt());
    alert.SetTitle(QStringLiteral("Dentist"));
    alert.SetText(QStringLiteral("10:30 AM  Check-up & cleaning, bring the forms"));
    alert.ShowPopUp();
    QTimer::singleShot(400, [&alert] {
        alert.SetTitle(QStringLiteral("Call Mum"));
        alert.SetText(QStringLiteral("11:00 AM  Birthday wishes"));
        alert.ShowPopUp();
    });
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 6;
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
