#pragma once
// The Linux adapter: X11 (through xcb) and freedesktop conventions, GIO for desktop settings.
// What Qt gives on every system comes from TQtPlatform; the rest is spread over files by
// service:
//   linuxplatform.cpp  construction, capabilities, the change watches
//   shell.cpp          the running executable, the program folder (platform/programfolder.h)
//   session.cpp        single instance, sound
//   autostart.cpp      the freedesktop autostart entry
//   desktopfacts.cpp   wallpaper facts from GSettings, xfconf or Plasma, and their change watch
//   screens.cpp        the work area
//   x11windows.cpp     desktop attachment, task-bar presence
//   dialogframes.cpp   the title-bar buttons of fixed-size dialogs
//   hotkey.cpp         the global hot key
//   clockwatch.cpp     the wall clock set or resumed from sleep
//   secrets.cpp        passwords in the Secret Service (libsecret)
//   xcbtools.cpp       the xcb requests shared by the X11 services

#include "platform/qtplatform.h"

#include <memory>

namespace orvenna::platform {

struct TProgramFiles;

class TLinuxPlatform final : public TQtPlatform {
    Q_OBJECT

public:
    explicit TLinuxPlatform(QObject* parent = nullptr);
    ~TLinuxPlatform() override;

    bool CanAttachToDesktop() const override;
    bool CanRegisterHotKey() const override;
    // Read from /proc, so that it is known before the application object exists and still
    // right after the file was replaced on disk.
    QString ExecutablePath() const override;
    // The folder of platform/programfolder.h, chosen at the first call and kept for the run.
    QString ProgramFolder() const override;
    QString PrepareProgramFolder() override;
    void SetAutoRun(bool enabled) override;
    bool IsAutoRunEnabled() const override;
    bool PlaySound(const QString& file) override;
    bool AcquireSingleInstance(const QString& name) override;
    QRect WorkArea() const override;
    TDesktopFacts DesktopFacts() const override;
    QList<TScreenWallpaper> ScreenWallpapers() const override;
    bool SetDeviceShape(QWidget* window, const QRegion& devicePixels) override;
    void AttachToDesktop(QWidget* window) override;
    void SetTaskBarPresence(QWidget* window, bool visible) override;
    THotKey DefaultHotKey() const override;
    bool RegisterHotKey(const THotKey& key) override;
    void UnregisterHotKey() override;
    void ReleaseFreedMemory() override;
    // Through libsecret on the session bus; Unavailable without a session bus (no bus is
    // started for the lookup) or without a Secret Service on it.
    TSecretStatus LookupPassword(const QString& server, const QString& user,
                                 QString& password) override;
    bool StorePassword(const QString& server, const QString& user,
                       const QString& password) override;
    bool ForgetPassword(const QString& server, const QString& user) override;

    // True when the application runs on an X11 display (not Wayland, not offscreen).
    static bool IsX11();

protected:
    // The desktop is watched from the first listener of DesktopFactsChanged() on, the clock
    // from the first listener of ClockChanged() on, the signals that ask the program to end
    // from the first listener of StopRequested() on.
    void connectNotify(const QMetaMethod& signal) override;

private:
    void WatchDesktopFacts();
    void WatchClock();
    void WatchStopSignals();
    const TProgramFiles& ProgramFiles() const;

    struct TState;  // each service file keeps its own part of the state in here
    std::unique_ptr<TState> State;
};

}  // namespace orvenna::platform
