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
// Files in the program folder.
inline constexpr const char* NotesFileName = "2004.cal";
inline constexpr const char* SettingsFileName = "Setting.cfg";
inline constexpr const char* FirstRunFileName = "firstrun.dat";

// Whether this is the first run: true when "firstrun.dat" could not be read, in which case the
// marker ("1" and CR LF) has just been written (a folder that cannot be written still counts
// as a first run, and the next start tries again).
bool MarkFirstRun(const QString& programFolder);

// Where the calendar window goes at start-up. A stored top of 0 means no stored position: the
// bottom-right corner of the primary screen. A stored position whose window would lie outside
// every screen (a monitor that is gone) also goes to that corner.
QPoint InitialPosition(int storedTop, int storedLeft, QSize window, const QRect& primaryScreen,
                       const QList<QRect>& screens);

}  // namespace orvenna::app
