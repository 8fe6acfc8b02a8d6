#pragma once
// A platform for tests: every answer is a public field the test sets, every request is
// recorded for the test to read back. Nothing here touches the real system.

#include "platform/platform.h"

#include <QStringList>

#include <vector>

namespace orvenna::platform {

class TFakePlatform final : public TPlatform {
public:
    // ---- answers (set by the test) --------------------------------------------------------
    bool AttachAllowed = true;
    bool HotKeyAllowed = true;
    bool TrayAvailable = false;
    QString Executable = QStringLiteral("/opt/orvenna/orvenna");
    QString Folder = QStringLiteral("/opt/orvenna/");
    QRect Primary{0, 0, 1024, 768};
    QRect Virtual{0, 0, 1024, 768};
    QRect Work{0, 0, 1024, 738};
    std::optional<QRect> TaskBar = QRect(0, 738, 1024, 30);
    TDesktopFacts Facts;
    bool SoundPlayable = true;
    bool InstanceFree = true;
    QString AutoRunFailure;  // not empty: SetAutoRun throws std::runtime_error with this text
    std::vector<int> SystemColors{15, 5, 8};  // clBtnFace, clWindow, clWindowText

    // ---- what the code under test asked for ---------------------------------------------
    bool AutoRun = false;
    int AutoRunCalls = 0;
    QString ClipboardText;
    QStringList OpenedUrls;
    QStringList PlayedSounds;
    QStringList AcquiredLocks;
    std::vector<QWidget*> AttachedWindows;
    std::vector<std::pair<QWidget*, bool>> TaskBarRequests;
    std::function<void()> DesktopFactsHandler;
    std::function<void()> HotKeyHandler;

    // Calls the handler given to WatchDesktopFacts, as a desktop would after a change.
    void ChangeDesktopFacts(const TDesktopFacts& facts);
    // Calls the handler given to RegisterHotKey, as a key press would.
    void PressHotKey();

    bool CanAttachToDesktop() const override { return AttachAllowed; }
    bool CanRegisterHotKey() const override { return HotKeyAllowed; }
    bool CanShowTrayIcon() const override { return TrayAvailable; }
    QString ExecutablePath() const override { return Executable; }
    QString ProgramFolder() const override { return Folder; }
    void SetAutoRun(bool enabled) override;
    bool IsAutoRunEnabled() const override { return AutoRun; }
    void SetClipboardText(const QString& text) override { ClipboardText = text; }
    bool OpenUrl(const QString& url) override;
    bool PlaySound(const QString& file) override;
    bool AcquireSingleInstance(const QString& name) override;
    QRect PrimaryScreen() const override { return Primary; }
    QRect VirtualDesktop() const override { return Virtual; }
    QRect WorkArea() const override { return Work; }
    std::optional<QRect> TaskBarRect() const override { return TaskBar; }
    TDesktopFacts DesktopFacts() const override { return Facts; }
    void WatchDesktopFacts(std::function<void()> onChange) override;
    std::vector<int> SystemColorIndexes() const override { return SystemColors; }
    void AttachToDesktop(QWidget* window) override;
    void SetTaskBarPresence(QWidget* window, bool visible) override;
    bool RegisterHotKey(std::function<void()> onPressed) override;
    void UnregisterHotKey() override { HotKeyHandler = nullptr; }
};

}  // namespace orvenna::platform
