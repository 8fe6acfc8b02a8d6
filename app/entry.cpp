#include "app/entry.h"

#include "app/appcore.h"
#include "app/calendarform.h"
#include "app/noticefrm.h"
#include "app/snapfrm.h"
#include "app/startup.h"

namespace orvenna::app {

std::unique_ptr<TSnapForm> StartWindows(TAppCore& core, TCalendarForm& calendar,
                                        const TEntryHooks& hooks)
{
    auto splash = std::make_unique<TSnapForm>(core);
    if (MarkFirstRun(core.ProgramFolder())) {
        TForm1 notice;
        notice.exec();
    }
    splash->show();
    splash->repaint();
    if (hooks.SplashShown)
        hooks.SplashShown(*splash);
    if (hooks.HoldSplash)
        HoldSplash(core.Clock(), hooks.HoldPause);
    splash->hide();
    calendar.Start();
    return splash;
}

}  // namespace orvenna::app
