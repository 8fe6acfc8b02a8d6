#pragma once
// Pure pieces of the entry sequence and the calendar window's creation.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace orvenna::app {

// Name of the single-instance lock.
inline constexpr const char* SingleInstanceName = "hkOneCopy";
// The first-run marker in the program folder.
inline constexpr const char* FirstRunFileName = "firstrun.dat";

// Whether this is the first run: true when "firstrun.dat" could not be read, in which case the
// marker ("1" and CR LF) has just been written (a folder that cannot be written still counts
// as a first run, and the next start tries again; failure, when given, then receives
// "Cannot create file "<marker>". <reason>").
bool MarkFirstRun(const QString& programFolder, QString* failure = nullptr);

// Where the calendar window goes at start-up. A stored top of 0 means no stored position: the
// bottom-right corner of the primary screen's work area (the screen less its panels, so that
// no panel covers the last row). A stored position is used as stored, unless its window would
// lie outside every screen (a monitor that is gone): that also goes to the corner.
QPoint InitialPosition(int storedTop, int storedLeft, QSize window, const QRect& primaryWorkArea,
                       const QList<QRect>& screens);

// One screen as the calendar's placement sees it: the whole screen and the part the panels
// leave free.
struct TScreenArea {
    QRect Geometry;
    QRect WorkArea;
};

// Where a window at window goes after the screens changed. A window wholly on the screens
// (one, or several side by side) stays; any other is moved into the work area of the nearest
// screen: the one it overlaps most, or, overlapping none, the one closest to its centre. A
// window larger than that work area keeps its top-left corner inside it. No screens: it stays.
QPoint KeptOnScreen(const QRect& window, const QList<TScreenArea>& screens);

}  // namespace orvenna::app
