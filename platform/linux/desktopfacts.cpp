#include "platform/linux/desktopsources.h"
#include "platform/linux/gsettingswatch.h"
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"
#include "platform/linux/xdgpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace orvenna::platform {

// Watches the places the facts may come from: the XFCE and Plasma files (with their folders,
// since both desktops replace the file by renaming a new one over it), and the GSettings schemas
// that are installed unless the running desktop's own file answers before them. Then GIO stays
// unloaded until that file stops answering; the GSettings watch, once begun, stays (a user who
// changes desktops starts a new session).
class TDesktopFactsWatch final {
public:
    explicit TDesktopFactsWatch(std::function<void()> onChange) : OnChange(std::move(onChange))
    {
        const QString home = ConfigHome();
        Files = {XfceDesktopFile(home), PlasmaAppletsFile(home)};
        WatchExisting();
        WatchGSettingsIfAsked();
        QObject::connect(&Watcher, &QFileSystemWatcher::fileChanged, [this](const QString& path) {
            WatchExisting();
            if (Files.contains(path))
                FileChanged();
        });
        QObject::connect(&Watcher, &QFileSystemWatcher::directoryChanged, [this](const QString&) {
            // A rename over the file ends the watch of the old one; a new file needs one.
            const QStringList before = Watcher.files();
            WatchExisting();
            if (Watcher.files() != before)
                FileChanged();
        });
    }

private:
    void FileChanged()
    {
        WatchGSettingsIfAsked();
        OnChange();
    }

    void WatchGSettingsIfAsked()
    {
        if (Settings)
            return;
        const std::vector<TScreenOutput> outputs = ScreenOutputs();
        if (!AnswersBeforeGSettings(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                                    outputs.empty() ? TScreenOutput{} : outputs.front()))
            Settings = std::make_unique<TGSettingsWatch>([this] { OnChange(); });
    }

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
    std::unique_ptr<TGSettingsWatch> Settings;  // null while the desktop's own file answers
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
