#include "app/notefilewatch.h"

#include "app/appcore.h"
#include "app/filedigest.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>

#include <optional>
#include <string>
#include <utility>

namespace orvenna::app {

TNoteFileWatch::TNoteFileWatch(TAppCore& core)
    : QObject(&core),
      Core(core),
      File(core.NotesFile()),
      Watcher(new QFileSystemWatcher(this)),
      Settle(new QTimer(this)),
      Quiet(new QTimer(this))
{
    Settle->setSingleShot(true);
    Settle->setInterval(SettleMs);
    connect(Settle, &QTimer::timeout, this, &TNoteFileWatch::Check);
    Quiet->setSingleShot(true);
    Quiet->setInterval(ErrorQuietMs);
    connect(Quiet, &QTimer::timeout, this, &TNoteFileWatch::TellUnreadable);
    if (!Watcher->addPath(core.ProgramFolder()))
        qCWarning(lcApp) << "changes of the program folder are not seen:" << core.ProgramFolder();
    if (QFile::exists(File))
        Watcher->addPath(File);
    if (const std::optional<std::string> bytes = ReadFile())
        KnownDigest = FileDigest(*bytes);
    connect(Watcher, &QFileSystemWatcher::fileChanged, this, &TNoteFileWatch::Changed);
    connect(Watcher, &QFileSystemWatcher::directoryChanged, this, &TNoteFileWatch::Changed);
}

void TNoteFileWatch::Changed()
{
    // A file replaced by a rename is a new file: the watch on the old one has ended.
    if (!Watcher->files().contains(File) && QFile::exists(File))
        Watcher->addPath(File);
    Settle->start();
    // The burst goes on: a failure is told only once the writes have ended.
    if (Quiet->isActive())
        Quiet->start();
}

void TNoteFileWatch::TellUnreadable()
{
    if (Unreadable.isEmpty() || Told)
        return;
    Told = true;
    Core.ReportUnreadableNotes(std::exchange(Unreadable, QString()));
}

std::optional<std::uint64_t> TNoteFileWatch::FileDigestNow() const
{
    // A block at a time through one buffer: a look at a file that did not change costs no
    // allocation of the file's size.
    QFile file(File);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    constexpr qint64 BlockSize = 1 << 20;
    std::string block(static_cast<std::size_t>(BlockSize), '\0');
    TFileDigest digest;
    for (;;) {
        const qint64 read = file.read(block.data(), BlockSize);
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            return digest.Value();
        digest.Add(std::string_view(block.data(), static_cast<std::size_t>(read)));
    }
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
    const std::optional<std::uint64_t> digest = FileDigestNow();
    // The same bytes as at the last look: nothing happened to the file (its folder changed, or
    // the store gained a paper it has not saved yet).
    if (!digest || *digest == KnownDigest)
        return;
    if (*digest == Core.NotesDigest()) {
        KnownDigest = *digest;
        Read();  // the program's own save
        return;
    }
    const std::optional<std::string> bytes = ReadFile();
    if (!bytes)
        return;
    // What is taken up is what was read, which a writer may have changed once more meanwhile.
    KnownDigest = FileDigest(*bytes);
    Unreadable = Core.TakeUpNotesFile(*bytes);
    if (Unreadable.isEmpty())
        Read();
    else if (!Told)
        Quiet->start();
}

void TNoteFileWatch::Read()
{
    Unreadable.clear();
    Told = false;
    Quiet->stop();
}

void TNoteFileWatch::SetTimes(int settleMs, int errorQuietMs)
{
    Settle->setInterval(settleMs);
    Quiet->setInterval(errorQuietMs);
}

}  // namespace orvenna::app
