#include "platform/linux/desktopsources.h"
#include "platform/linux/gsettingswatch.h"
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"
#include "platform/linux/xdgpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace orvenna::platform {

// Watches every place the facts may come from, whichever desktop is running: the GSettings
// schemas that are installed and the XFCE and Plasma files (with their folders, since both
// desktops replace the file by renaming a new one over it).
class TDesktopFactsWatch final {
public:
    explicit TDesktopFactsWatch(std::function<void()> onChange)
        : OnChange(std::move(onChange)), Settings([this] { OnChange(); })
    {
        const QString home = ConfigHome();
        Files = {XfceDesktopFile(home), PlasmaAppletsFile(home)};
        WatchExisting();
        QObject::connect(&Watcher, &QFileSystemWatcher::fileChanged, [this](const QString& path) {
            WatchExisting();
            if (Files.contains(path))
                OnChange();
        });
        QObject::connect(&Watcher, &QFileSystemWatcher::directoryChanged, [this](const QString&) {
            // A rename over the file ends the watch of the old one; a new file needs one.
            const QStringList before = Watcher.files();
            WatchExisting();
            if (Watcher.files() != before)
                OnChange();
        });
    }

private:
    void WatchExisting()
    {
        for (const QString& file : Files) {
            const QFileInfo info(file);
            if (info.dir().exists() && !Watcher.directories().contains(info.absolutePath()))
                Watcher.addPath(info.absolutePath());
            if (info.isFile() && !Watcher.files().contains(file))
                Watcher.addPath(file);
        }
    }

    std::function<void()> OnChange;
    TGSettingsWatch Settings;
    QStringList Files;
    QFileSystemWatcher Watcher;
};

TDesktopFacts TLinuxPlatform::DesktopFacts() const
{
    const std::vector<TScreenOutput> outputs = ScreenOutputs();
    const TScreenOutput primary = outputs.empty() ? TScreenOutput{} : outputs.front();
    for (const auto source : SourceOrder(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
        if (auto facts = ReadFacts(source, primary))
            return *facts;
    }
    return {};
}

// The first source that answers for the primary screen answers for all: a screen it has no
// setting of shows the primary screen's wallpaper.
QList<TScreenWallpaper> TLinuxPlatform::ScreenWallpapers() const
{
    const QList<TScreen> screens = Screens();
    const std::vector<TScreenOutput> outputs = ScreenOutputs();
    QList<TScreenWallpaper> wallpapers;
    if (screens.isEmpty() || outputs.size() != std::size_t(screens.size()))
        return TQtPlatform::ScreenWallpapers();
    for (const auto source : SourceOrder(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
        const auto primary = ReadFacts(source, outputs.front());
        if (!primary)
            continue;
        for (qsizetype i = 0; i < screens.size(); ++i) {
            const auto own = i > 0 && HasWallpaperPerScreen(source) ? ReadFacts(source, outputs[i]) : std::nullopt;
            wallpapers.append({screens[i].Geometry, own.value_or(*primary)});
        }
        return wallpapers;
    }
    for (const TScreen& screen : screens)
        wallpapers.append({screen.Geometry, {}});
    return wallpapers;
}

void TLinuxPlatform::WatchDesktopFacts()
{
    if (!State->FactsWatch)
        State->FactsWatch = std::make_shared<TDesktopFactsWatch>([this] { emit DesktopFactsChanged(); });
}

}  // namespace orvenna::platform
