#pragma once
// The operating-system services the program takes from its desktop, behind one interface.
//
// Every other folder reaches the system only through TPlatform. Each method says what it
// returns when the system cannot do the job; capability queries come first so that callers
// degrade instead of branching on the platform. One object is made in main() and passed into
// constructors; tests pass a TFakePlatform (platform/fake/).

#include <QColor>
#include <QRect>
#include <QString>

#include <functional>
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

class TPlatform {
public:
    virtual ~TPlatform() = default;

    // ---- capabilities -------------------------------------------------------------------
    virtual bool CanAttachToDesktop() const = 0;  // false without X11 (Wayland, offscreen)
    virtual bool CanRegisterHotKey() const = 0;   // false without X11
    virtual bool CanShowTrayIcon() const = 0;     // false when no tray host is running

    // ---- program files and shell --------------------------------------------------------
    // Full real path of the running executable; empty when it cannot be found.
    virtual QString ExecutablePath() const = 0;
    // The executable's folder with one trailing '/'; every data file is addressed from it.
    virtual QString ProgramFolder() const = 0;
    // Adds (true) or removes (false) the entry that starts the program at log-on.
    // Silent when the entry cannot be written; removing an absent entry is silent too.
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

    // ---- desktop wallpaper --------------------------------------------------------------
    // Read anew on every call. Without any desktop source: no wallpaper, a colour fill.
    virtual TDesktopFacts DesktopFacts() const = 0;
    // Calls onChange (on the window thread, from the event loop) whenever the wallpaper
    // file, placement or colour may have changed. A second call replaces the handler.
    virtual void WatchDesktopFacts(std::function<void()> onChange) = 0;

    // ---- desktop theme ------------------------------------------------------------------
    // The theme indexes of the system colours this desktop's theme has a colour for, in the
    // order a colour list offers them. An index is the low byte of a stored system colour
    // (0xFF000000 + index, 0..30). Empty: the desktop names no colours.
    virtual std::vector<int> SystemColorIndexes() const = 0;

    // ---- windows ------------------------------------------------------------------------
    // Makes a frameless top-level window live on the desktop: below every ordinary window,
    // on every workspace, no pager entry, still shown when the user shows the desktop.
    // Call after winId() and before show(). Does what the session allows otherwise.
    virtual void AttachToDesktop(QWidget* window) = 0;
    // With visible false the window has no task-bar entry (only the tray icon remains).
    virtual void SetTaskBarPresence(QWidget* window, bool visible) = 0;

    // ---- global hot key (Super+Space) ---------------------------------------------------
    // False when the key is taken by another program or the system cannot grab keys.
    virtual bool RegisterHotKey(std::function<void()> onPressed) = 0;
    virtual void UnregisterHotKey() = 0;
};

// The adapter for the system this build targets.
std::unique_ptr<TPlatform> CreateSystemPlatform();

}  // namespace orvenna::platform
