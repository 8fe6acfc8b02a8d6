#pragma once
// The services every system gives through Qt alone: the program's files, the clipboard, web
// addresses, the screens, the tray and the theme's colours. Each adapter derives from
// TQtPlatform and adds (or replaces) what only its system can do.

#include "platform/platform.h"

#include <QUrl>

#include <optional>

class QScreen;

namespace orvenna::platform {

class TQtPlatform : public TPlatform {
    Q_OBJECT

public:
    explicit TQtPlatform(QObject* parent = nullptr);
    ~TQtPlatform() override;

    bool CanShowTrayIcon() const override;
    // The application's file path as Qt finds it; empty before the application object exists.
    QString ExecutablePath() const override;
    QString ProgramFolder() const override;
    void SetClipboardText(const QString& text) override;
    bool OpenUrl(const QString& url) override;
    QRect PrimaryScreen() const override;
    QRect VirtualDesktop() const override;
    QRect WorkArea() const override;
    std::optional<QRect> TaskBarRect() const override;
    QList<TScreen> Screens() const override;
    // The theme reaches Qt as its palette, which has a role for every named theme index.
    std::vector<int> SystemColorIndexes() const override;

protected:
    // Watching the screens starts with the first listener of ScreensChanged(): the platform
    // object is made before the application object, when there are no screens to watch yet.
    void connectNotify(const QMetaMethod& signal) override;

private:
    void WatchScreens();
    void WatchScreen(QScreen* screen);

    bool WatchingScreens = false;
};

// The address OpenUrl hands to the desktop: an http, https or mailto address, where a bare
// host name ("www.example.org") counts as http. None for anything else (empty text, local
// files, other schemes), which must never reach the default handler.
std::optional<QUrl> WebAddress(const QString& text);

// The panel (task bar) of a screen, worked out from the area the panels leave free.
// A panel reserves a strip at one edge; the result spans that whole edge of the screen and is
// as deep as the widest reservation (when panels sit at several edges, the deepest one wins;
// ties go bottom, top, left, right, in that order). None when nothing is reserved, or when
// the work area does not lie on the screen at all.
std::optional<QRect> PanelFromWorkArea(const QRect& screen, const QRect& workArea);

// The folder part of a file path, with one trailing '/'; empty for a path without a folder.
QString FolderOf(const QString& filePath);

}  // namespace orvenna::platform
