#pragma once
// The operating-system services the program takes from its desktop, behind one interface.
//
// Every other folder reaches the system only through TPlatform. Each method says what it
// returns when the system cannot do the job; capability queries come first so that callers
// degrade instead of branching on the platform. One object is made in main() and passed into
// constructors; tests pass a TFakePlatform (platform/fake/).
//
// Changes the system reports (desktop facts, screens, the hot key) arrive as Qt signals, so
// any number of listeners can take them. Every signal is emitted on the window thread from
// the event loop.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QObject>
#include <QRect>
#include <QRegion>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace orvenna::platform {

// How the desktop places its wallpaper picture on the screen.
enum class TWallpaperPlacement {
    Centred,    // unscaled, centred on the desktop colour
    Tiled,      // unscaled copies from the top-left corner
    Stretched,  // scaled to exactly the placement rectangle
    Fill,       // scaled to cover, aspect kept, centred, overflow cut
    Fit,        // scaled to fit inside, aspect kept, centred on the desktop colour
    Spanned,    // stretched over the whole virtual desktop
};

// The three facts the wallpaper reader needs from the desktop.
struct TDesktopFacts {
    QString WallpaperPath;  // local file path; empty: no wallpaper
    TWallpaperPlacement Placement = TWallpaperPlacement::Centred;
    QColor DesktopColor = QColor(0, 0, 0);  // the colour behind or instead of the picture
};

// One screen in screen coordinates (pixels).
struct TScreen {
    QRect Geometry;  // the whole screen
    QRect WorkArea;  // the part the panels leave free
    QString Name;    // the output's name ("DP-1", "HDMI-2"); empty when the system gives none
    friend bool operator==(const TScreen&, const TScreen&) = default;
};

// What the desktop's password store answered.
enum class TSecretStatus {
    Found,        // the password is there
    Missing,      // the store works but holds no password for the account
    Unavailable,  // no store (no Secret Service, no session bus) or it refused to answer
};

// What one screen shows behind the desktop's icons. Desktops draw their wallpaper on each
// screen separately, placed by that screen's size; a Spanned picture lies once over the
// bounding box of all screens, and each screen shows its part of it.
struct TScreenWallpaper {
    QRect Geometry;  // the screen, in screen coordinates
    TDesktopFacts Facts;
};

// A key combination for the global hot key: one key and the modifiers held down with it.
// Qt::MetaModifier is the Super key under X11 and the Windows key on Windows. The adapters
// accept the keys of a keyboard's main block, the function keys and the navigation keys with
// any of Shift, Control, Alt and Meta.
struct THotKey {
    Qt::Key Key = Qt::Key_unknown;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
    friend bool operator==(const THotKey& a, const THotKey& b)
    {
        return a.Key == b.Key && a.Modifiers == b.Modifiers;
    }
    // "Meta+Space" and the like, for messages.
    QString Text() const;
};

class TPlatform : public QObject {
    Q_OBJECT

public:
    explicit TPlatform(QObject* parent = nullptr);
    ~TPlatform() override;

    // ---- capabilities -------------------------------------------------------------------
    virtual bool CanAttachToDesktop() const = 0;  // false without X11 (Wayland, offscreen)
    virtual bool CanRegisterHotKey() const = 0;   // false without X11
    virtual bool CanShowTrayIcon() const = 0;     // false when no tray host is running

    // ---- program files and shell --------------------------------------------------------
    // Full real path of the running executable; empty when it cannot be found.
    virtual QString ExecutablePath() const = 0;
    // The folder of every data file, with one trailing '/'; the same for the whole run. The
    // executable's own folder for a portable copy; the user's data folder for an installed
    // program or a folder the user cannot write (platform/programfolder.h).
    virtual QString ProgramFolder() const = 0;
    // Makes ProgramFolder() ready before the first file is written there: the folder made and
    // the shipped images copied into its images/ where they are not in place. Returns the
    // failure in the system's words (the folder or file, the reason); empty when it is ready.
    virtual QString PrepareProgramFolder() { return {}; }
    // Adds (true) or removes (false) the entry that starts the program at log-on. Silent when
    // the entry's folder cannot be made; throws std::runtime_error "Failed to set data for
    // '<entry>'" when the folder is there but the entry cannot be written. Removing an absent
    // entry is silent.
    virtual void SetAutoRun(bool enabled) = 0;
    virtual bool IsAutoRunEnabled() const = 0;
    // Replaces the clipboard's content with plain text. Silent when there is no clipboard.
    virtual void SetClipboardText(const QString& text) = 0;
    // Hands a web address to the desktop's default handler. False for an empty address or
    // when no handler accepted it.
    virtual bool OpenUrl(const QString& url) = 0;
    // Starts playing a sound file and returns at once. False when it cannot be played.
    virtual bool PlaySound(const QString& file) = 0;

    // ---- single instance ----------------------------------------------------------------
    // Takes the system-wide lock of that name for the life of the process; the system frees
    // it when the process ends, also after a crash. False: another process holds it.
    virtual bool AcquireSingleInstance(const QString& name) = 0;

    // ---- screens (pixels, screen coordinates) -------------------------------------------
    virtual QRect PrimaryScreen() const = 0;
    virtual QRect VirtualDesktop() const = 0;  // the union of all screens
    virtual QRect WorkArea() const = 0;        // primary screen less the panels
    // The task bar (panel) at an edge of the primary screen; none: no panel found.
    virtual std::optional<QRect> TaskBarRect() const = 0;
    // Every screen, the primary one first; empty when there is no screen at all. The primary
    // one's work area is WorkArea(). ScreensChanged() tells when this list may have changed.
    virtual QList<TScreen> Screens() const = 0;

    // ---- desktop wallpaper --------------------------------------------------------------
    // Read anew on every call. Without any desktop source: no wallpaper, a colour fill.
    // DesktopFactsChanged() tells when they may have changed; the adapter starts watching
    // the desktop when the first listener connects to it.
    virtual TDesktopFacts DesktopFacts() const = 0;
    // The wallpaper of every screen, in the order of Screens(); empty without screens. Read anew
    // on every call. The default gives DesktopFacts() to every screen, as desktops with one
    // wallpaper setting do; adapters of desktops with a setting per screen replace it.
    virtual QList<TScreenWallpaper> ScreenWallpapers() const;

    // ---- desktop theme ------------------------------------------------------------------
    // The theme indexes of the system colours this desktop's theme has a colour for, in the
    // order a colour list offers them. An index is the low byte of a stored system colour
    // (0xFF000000 + index, 0..30). Empty: the desktop names no colours.
    virtual std::vector<int> SystemColorIndexes() const = 0;

    // ---- windows ------------------------------------------------------------------------
    // Makes a frameless top-level window live on the desktop: below every ordinary window,
    // on every workspace, no pager or task-bar entry, still shown when the user shows the
    // desktop. Holds for the window that gets mapped, whether winId(), flag changes and show()
    // come before or after this call. Does what the session allows otherwise.
    virtual void AttachToDesktop(QWidget* window) = 0;
    // The program's task-bar entry. For an attached window, visible true gives a separate
    // small window of the program with the window's title and icon, kept minimised, that task
    // bars list while the window is shown; activating it brings the program's other open
    // windows to the front. visible false: no window of the program is listed (only the tray
    // icon remains). A window that is not attached is itself listed or not.
    virtual void SetTaskBarPresence(QWidget* window, bool visible) = 0;

    // Shapes a top-level window to region, given in the window's device pixels, for drawing and
    // input alike: finer than QWidget::setMask, which counts in the window's scaled coordinates.
    // Applies to the native window the widget has now (none yet: nothing happens, and the
    // answer is still true); call it again when it gets a new one (QEvent::WinIdChange). False
    // when the system cannot shape windows this way: the caller then uses QWidget::setMask.
    virtual bool SetDeviceShape(QWidget* window, const QRegion& devicePixels);

    // ---- global hot key ------------------------------------------------------------------
    // The combination this system leaves free for the program (Super+Space under X11).
    virtual THotKey DefaultHotKey() const = 0;
    // Grabs key for the whole desktop, in place of any key registered before; each press is
    // then reported by HotKeyPressed(). False when the key is taken by another program, is
    // not one the adapter knows, or the system cannot grab keys: nothing is grabbed then.
    virtual bool RegisterHotKey(const THotKey& key) = 0;
    virtual void UnregisterHotKey() = 0;

    // ---- passwords ------------------------------------------------------------------------
    // The desktop's password store (the Secret Service under Linux), for the password of a
    // server account: a server address and a user name name one password. Nothing is kept in a
    // file of the program's. These may block for as long as the store takes (a keyring's unlock
    // prompt), so call them off the window thread; they are safe to call from any thread.
    // Without a store (the default here) every call answers Unavailable or false.
    virtual TSecretStatus LookupPassword(const QString& server, const QString& user,
                                         QString& password);
    // Stores (replacing) the account's password. False when there is no store or it refused.
    virtual bool StorePassword(const QString& server, const QString& user,
                               const QString& password);
    // Removes the account's password; true when none is left behind.
    virtual bool ForgetPassword(const QString& server, const QString& user);

    // ---- process --------------------------------------------------------------------------
    // Hands memory the program has freed back to the system where the allocator would keep it
    // for later (after a large picture was decoded). Does nothing where there is no such need.
    virtual void ReleaseFreedMemory() {}

signals:
    // The wallpaper file, its placement or the desktop colour may have changed.
    void DesktopFactsChanged();
    // A screen came, went, moved, changed its size or its work area, or another became primary.
    void ScreensChanged();
    // The registered hot key was pressed.
    void HotKeyPressed();
    // The wall clock may have moved otherwise than by running on: the system time was set,
    // or the system woke from sleep. Timers armed for a time of day must be armed anew. The
    // adapter starts watching with the first listener; a system that cannot tell never emits.
    void ClockChanged();
    // The system asks the program to end: at log-out or shut-down where the session ends its
    // programs by signal, or from the terminal it runs in. The program ends as its own "E&xit"
    // ends it, with what the user holds saved. The adapter starts listening with the first
    // listener; a system that cannot tell never emits.
    void StopRequested();
};

// The adapter for the system this build targets.
std::unique_ptr<TPlatform> CreateSystemPlatform();

// The Qt platform plugin the program asks for before its application object exists; empty:
// Qt's own choice. Under Linux "xcb" on a Wayland session with an X server for X11 programs
// (the desktop attachment, the placement and the hot key need X11), unless the user chose a
// plugin through QT_QPA_PLATFORM.
QByteArray PreferredQtPlatform();

}  // namespace orvenna::platform
