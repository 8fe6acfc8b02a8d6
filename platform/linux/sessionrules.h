#pragma once
// Which windowing system the program runs on, decided from the session's environment before
// the application object exists.

#include <QByteArray>

namespace orvenna::platform {

// The session's variables that decide it (empty: unset).
struct TSessionEnvironment {
    QByteArray SessionType;     // XDG_SESSION_TYPE
    QByteArray WaylandDisplay;  // WAYLAND_DISPLAY
    QByteArray Display;         // DISPLAY: an X server for X11 programs
    QByteArray QtPlatform;      // QT_QPA_PLATFORM: the user's own choice
};

// "xcb" on a Wayland session that has an X server for X11 programs: only there can the
// calendar live on the desktop, keep its place and hold the hot key. Empty, leaving Qt's own
// choice, when the user named a platform, on any other session, and on Wayland without X.
QByteArray QtPlatformFor(const TSessionEnvironment& session);

}  // namespace orvenna::platform
