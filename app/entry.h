#pragma once
// The windows of the start-up, in their order: the calendar (already made) → the splash,
// which takes the hot key → an error box when start-up could not write its files (the first
// failure only: the folder, else "2004.cal", else the marker) → an error box naming the data
// files found damaged and the copies kept of them → on a first run,
// "firstrun.dat" written and the notice shown modally → the splash shown and held for 2 to 3
// seconds → the splash hidden (kept alive for the hot key) → the calendar shown. The note editor, the reminder dialog, the settings
// dialog and the browser are made by their openers when they are used.

#include <QString>

#include <functional>
#include <memory>

namespace orvenna::app {

class TAppCore;
class TCalendarForm;
class TSnapForm;

struct TEntryHooks {
    // Called between looks at the clock while the splash is held; empty: the real wait.
    std::function<void()> HoldPause;
    // Called once the splash is on screen, before the hold (tests look at it here).
    std::function<void(TSnapForm&)> SplashShown;
    // False: the splash is hidden again at once, without its hold (start-up benchmarks only).
    bool HoldSplash = true;
    // Why the program folder could not be made ready (TPlatform::PrepareProgramFolder).
    QString FolderFailure;
};

// Runs the start-up from the splash on and returns the splash, hidden; the caller keeps it
// until the end of the run (it must go before the core).
std::unique_ptr<TSnapForm> StartWindows(TAppCore& core, TCalendarForm& calendar,
                                        const TEntryHooks& hooks = {});

}  // namespace orvenna::app
