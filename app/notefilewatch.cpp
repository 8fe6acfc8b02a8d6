#include "app/notefilewatch.h"

#include "app/appcore.h"
#include "store/daypaperlist.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

namespace orvenna::app {

TNoteFileWatch::TNoteFileWatch(TAppCore& core)
    : QObject(&core),
      Core(core),
      File(core.NotesFile()),
      Watcher(new QFileSystemWatcher(this)),
      Settle(new QTimer(this))
{
    Settle->setSingleShot(true);
    Settle->setInterval(SettleMs);
    connect(Settle, &QTimer::timeout, this, &TNoteFileWatch::Check);
    if (!Watcher->addPath(core.ProgramFolder()))
        qCWarning(lcApp) << "changes of the program folder are not seen:" << core.ProgramFolder();
    if (QFile::exists(File))
        Watcher->addPath(File);
    if (const std::optional<std::string> bytes = ReadFile())
        KnownHash = std::hash<std::string>{}(*bytes);
    connect(Watcher, &QFileSystemWatcher::fileChanged, this, &TNoteFileWatch::Changed);
    connect(Watcher, &QFileSystemWatcher::directoryChanged, this, &TNoteFileWatch::Changed);
}

void TNoteFileWatch::Changed()
{
    // A file replaced by a rename is a new file: the watch on the old one has ended.
    if (!Watcher->files().contains(File) && QFile::exists(File))
        Watcher->addPath(File);
    Settle->start();
}

std::optional<std::string> TNoteFileWatch::ReadFile() const
{
    QFile file(File);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray read = file.readAll();
    return std::string(read.constData(), static_cast<std::size_t>(read.size()));
}

void TNoteFileWatch::Check()
{
    const std::optional<std::string> bytes = ReadFile();
    if (!bytes)
        return;
    // The same bytes as at the last look: nothing happened to the file (its folder changed, or
    // the store gained a paper it has not saved yet).
    const std::size_t hash = std::hash<std::string>{}(*bytes);
    if (hash == KnownHash)
        return;
    KnownHash = hash;
    store::TDayPaperList& papers = Core.DayPapers();
    if (*bytes == papers.SaveToBytes())
        return;  // the program's own save
    const std::string failure = papers.ReloadFromBytes(*bytes, File.toStdString());
    if (failure.empty()) {
        Core.NotesWereChanged();
        return;
    }
    Core.ReportError(tr("\"%1\" was changed by another program and cannot be read (%2). "
                        "The calendar keeps the notes it has; its next save keeps a copy of the "
                        "changed file.")
                         .arg(File, QString::fromStdString(failure)));
}

}  // namespace orvenna::app
