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
    // One box for the first failure: the later ones follow from it (a folder that cannot be
    // made holds no file either).
    QString failure = hooks.FolderFailure.isEmpty() ? core.LoadFailure() : hooks.FolderFailure;
    const bool firstRun = MarkFirstRun(core.ProgramFolder(), failure.isEmpty() ? &failure : nullptr);
    if (!failure.isEmpty())
        core.ReportError(failure);
    // Damaged data files, each with the copy kept of it, in one box.
    if (!core.LoadDamage().isEmpty())
        core.ReportError(core.LoadDamage());
    if (firstRun) {
        TForm1 notice;
        notice.exec();
    }
    splash->show();
    splash->repaint();
    if (hooks.SplashShown)
        hooks.SplashShown(*splash);
    if (hooks.HoldSplash) {
        // The calendar shows at once when the hold ends: its fonts load meanwhile, after the
        // splash's own picture is on screen.
        splash->AfterFirstPaint([&calendar] { calendar.LoadFonts(); });
        HoldSplash(core.Clock(), hooks.HoldPause);
    }
    splash->hide();
    calendar.Start();
    return splash;
}

}  // namespace orvenna::app
