#pragma once
// A platform for tests: every answer is a public field the test sets, every request is
// recorded for the test to read back. Nothing here touches the real system. Changes are
// reported by the same signals as on a real desktop (ChangeDesktopFacts, ChangeScreens,
// PressHotKey, ChangeClock).

#include "platform/platform.h"

#include <QStringList>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace orvenna::platform {

class TFakePlatform final : public TPlatform {
    Q_OBJECT

public:
    // ---- answers (set by the test) --------------------------------------------------------
    bool AttachAllowed = true;
    bool HotKeyAllowed = true;
    bool TrayAvailable = false;
    QString Executable = QStringLiteral("/opt/orvenna/orvenna");
    QString Folder = QStringLiteral("/opt/orvenna/");
    QString PrepareFailure;  // what PrepareProgramFolder() returns
    QRect Primary{0, 0, 1024, 768};
    QRect Virtual{0, 0, 1024, 768};
    QRect Work{0, 0, 1024, 738};
    std::optional<QRect> TaskBar = QRect(0, 738, 1024, 30);
    QString PrimaryName;          // the primary screen's output name
    QList<TScreen> OtherScreens;  // the screens besides the primary one (Primary, Work)
    TDesktopFacts Facts;
    // The wallpaper of a screen by its place in Screens(); a screen without one shows Facts.
    std::map<int, TDesktopFacts> ScreenFacts;
    bool DeviceShapeAllowed = false;
    bool SoundPlayable = true;
    bool InstanceFree = true;
    QString AutoRunFailure;  // not empty: SetAutoRun throws std::runtime_error with this text
    std::vector<int> SystemColors{15, 5, 8};  // clBtnFace, clWindow, clWindowText
    THotKey DefaultKey{Qt::Key_Space, Qt::MetaModifier};
    // The password store: false answers Unavailable. Read and set the passwords through
    // Passwords() and SetPassword(), which lock like the calls from other threads do.
    std::atomic<bool> SecretsAvailable{true};

    // ---- what the code under test asked for ---------------------------------------------
    bool AutoRun = false;
    int AutoRunCalls = 0;
    QString ClipboardText;
    QStringList OpenedUrls;
    QStringList PlayedSounds;
    QStringList AcquiredLocks;
    std::vector<QWidget*> AttachedWindows;
    std::vector<std::pair<QWidget*, bool>> TaskBarRequests;
    std::optional<THotKey> RegisteredHotKey;
    mutable int FactsReads = 0;  // calls of DesktopFacts() and ScreenWallpapers()
    // Calls of WorkArea() and Screens(), ScreenWallpapers()'s own included: on X11 each asks
    // the window manager for its work area.
    mutable int WorkAreaReads = 0;
    // The last region SetDeviceShape was given for each window, while it is allowed.
    std::map<QWidget*, QRegion> DeviceShapes;

    // The passwords stored, by "server user", and the number of lookups made.
    std::map<QString, QString> Passwords() const;
    void SetPassword(const QString& server, const QString& user, const QString& password);
    int PasswordLookups() const;

    // Sets the facts and reports the change, as a desktop would.
    void ChangeDesktopFacts(const TDesktopFacts& facts);
    // Sets the primary screen, its work area and the other screens, and reports the change.
    void ChangeScreens(const QRect& primary, const QRect& work, const QList<TScreen>& others = {});
    // Reports a press of the registered hot key; nothing when none is registered.
    void PressHotKey();
    // Reports that the system time was set or the system woke from sleep.
    void ChangeClock() { emit ClockChanged(); }
    // Asks the program to end, as the system does at log-out.
    void RequestStop() { emit StopRequested(); }

    bool CanAttachToDesktop() const override { return AttachAllowed; }
    bool CanRegisterHotKey() const override { return HotKeyAllowed; }
    bool CanShowTrayIcon() const override { return TrayAvailable; }
    QString ExecutablePath() const override { return Executable; }
    QString ProgramFolder() const override { return Folder; }
    QString PrepareProgramFolder() override { return PrepareFailure; }
    void SetAutoRun(bool enabled) override;
    bool IsAutoRunEnabled() const override { return AutoRun; }
    void SetClipboardText(const QString& text) override { ClipboardText = text; }
    bool OpenUrl(const QString& url) override;
    bool PlaySound(const QString& file) override;
    bool AcquireSingleInstance(const QString& name) override;
    QRect PrimaryScreen() const override { return Primary; }
    QRect VirtualDesktop() const override { return Virtual; }
    QRect WorkArea() const override
    {
        ++WorkAreaReads;
        return Work;
    }
    std::optional<QRect> TaskBarRect() const override { return TaskBar; }
    QList<TScreen> Screens() const override;
    TDesktopFacts DesktopFacts() const override
    {
        ++FactsReads;
        return Facts;
    }
    QList<TScreenWallpaper> ScreenWallpapers() const override;
    std::vector<int> SystemColorIndexes() const override { return SystemColors; }
    bool SetDeviceShape(QWidget* window, const QRegion& devicePixels) override;
    void AttachToDesktop(QWidget* window) override;
    void SetTaskBarPresence(QWidget* window, bool visible) override;
    THotKey DefaultHotKey() const override { return DefaultKey; }
    bool RegisterHotKey(const THotKey& key) override;
    void UnregisterHotKey() override { RegisteredHotKey.reset(); }
    TSecretStatus LookupPassword(const QString& server, const QString& user,
                                 QString& password) override;
    bool StorePassword(const QString& server, const QString& user,
                       const QString& password) override;
    bool ForgetPassword(const QString& server, const QString& user) override;

private:
    mutable std::mutex SecretsLock;  // the password calls come from worker threads
    std::map<QString, QString> FPasswords;
    int Lookups = 0;
};

}  // namespace orvenna::platform
