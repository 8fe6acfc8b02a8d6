#pragma once
// The Linux adapter: X11 (through xcb) and freedesktop conventions, GIO for desktop settings.
// Its methods are spread over files by service:
//   linuxplatform.cpp  construction and capabilities
//   shell.cpp          program files, clipboard, web addresses, theme colours
//   session.cpp        single instance, sound
//   autostart.cpp      the freedesktop autostart entry
//   desktopfacts.cpp   wallpaper facts from GSettings, xfconf or Plasma, and their change watch
//   screens.cpp        screens, work area and the panel (task bar)
//   x11windows.cpp     desktop attachment, task-bar presence, the global hot key

#include "platform/platform.h"

#include <memory>

namespace orvenna::platform {

class TLinuxPlatform final : public TPlatform {
public:
    TLinuxPlatform();
    ~TLinuxPlatform() override;

    bool CanAttachToDesktop() const override;
    bool CanRegisterHotKey() const override;
    bool CanShowTrayIcon() const override;
    QString ExecutablePath() const override;
    QString ProgramFolder() const override;
    void SetAutoRun(bool enabled) override;
    bool IsAutoRunEnabled() const override;
    void SetClipboardText(const QString& text) override;
    bool OpenUrl(const QString& url) override;
    bool PlaySound(const QString& file) override;
    bool AcquireSingleInstance(const QString& name) override;
    QRect PrimaryScreen() const override;
    QRect VirtualDesktop() const override;
    QRect WorkArea() const override;
    std::optional<QRect> TaskBarRect() const override;
    TDesktopFacts DesktopFacts() const override;
    void WatchDesktopFacts(std::function<void()> onChange) override;
    std::vector<int> SystemColorIndexes() const override;
    void AttachToDesktop(QWidget* window) override;
    void SetTaskBarPresence(QWidget* window, bool visible) override;
    bool RegisterHotKey(std::function<void()> onPressed) override;
    void UnregisterHotKey() override;

    // True when the application runs on an X11 display (not Wayland, not offscreen).
    static bool IsX11();

private:
    struct TState;  // each service file keeps its own part of the state in here
    std::unique_ptr<TState> State;
};

}  // namespace orvenna::platform
