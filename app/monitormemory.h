#pragma once
// Where the calendar goes when monitors come and go, and its memory of the monitor the user put
// it on, by output name, in the side file "Monitor.dat" (store/monitorplace.h).
//
// The user's place is remembered at the end of every drag. When the screens change and the
// calendar is no longer wholly on them, it is brought into the work area of the screen it
// overlaps most (KeptOnScreen), and the file notes where it was put. When the remembered monitor
// is there again (docked, plugged back, at the next start) and the calendar is still where it
// was put, it goes back to its place on that monitor, moved with the monitor's corner. A monitor
// that moves takes the calendar on it along the same way.

#include "platform/platform.h"
#include "store/monitorplace.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>
#include <string>

namespace orvenna::app {

// The screen with an output name that the window overlaps most; none when it overlaps none.
std::optional<platform::TScreen> MonitorOf(const QRect& window, const QList<platform::TScreen>& screens);

// The remembered place on the screens now: moved with its monitor's corner. None when no screen
// has the monitor's output name, or the window would not lie wholly on the screens there.
std::optional<QPoint> RememberedPlace(const store::TMonitorPlace& record, QSize window,
                                      const QList<platform::TScreen>& screens);

class TMonitorMemory final {
public:
    // Reads the file; a missing or damaged one remembers nothing.
    explicit TMonitorMemory(std::string fileName);

    // The user put the window at window on these screens.
    void UserPlaced(const QRect& window, const QList<platform::TScreen>& screens);
    // Where the window goes at start. stored is the place "Setting.cfg" holds, initial where
    // the start-up placement puts the window (elsewhere when stored lies on no screen).
    QPoint StartPlace(QPoint stored, QPoint initial, QSize window, const QList<platform::TScreen>& screens);
    // Where the window at window goes now that the screens are screens.
    QPoint AfterScreensChanged(const QRect& window, const QList<platform::TScreen>& screens);

    const std::optional<store::TMonitorPlace>& Remembered() const { return Record; }

private:
    // Back to the remembered place when the window is where the program put it and the
    // monitor is there; none otherwise.
    std::optional<QPoint> ReturnFrom(QPoint at, QSize window, const QList<platform::TScreen>& screens);
    void Save();
    void Forget();

    std::string FileName;
    std::optional<store::TMonitorPlace> Record;
    // The screens seen last: the monitor a window leaves is no longer among the new ones.
    QList<platform::TScreen> LastScreens;
};

}  // namespace orvenna::app
