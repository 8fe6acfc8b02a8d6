#pragma once
// TNoteFileWatch: picks up changes other programs make to "2004.cal" while the calendar runs
// (the companion tool, a sync program, a copy of the folder). It watches the file and its folder
// (writers often replace the file by a rename), waits until the writes have settled, and reads
// the file: bytes whose digest is that of the core's last save are the program's own save and
// change nothing (the store is not serialised again to tell); others replace the store's papers
// and announce NotesChanged, so the note marks, the today list, the reminder timer and open
// browsers follow. Open note editors hold copies and merge into the reloaded store when they
// save.
//
// A file that cannot be read whole leaves the store as it was; the next save keeps a copy of it
// before writing over it. It is reported once per burst of writes: only when the file has
// stayed unreadable for ErrorQuietMs without a further change (a slow writer's half-written
// file is not told), and then not again until the file has read whole once more. A file that
// is missing for the moment (a writer between its delete and its rename) is waited for.
// Changes of the folder that leave the file's bytes as they were change nothing.
//
// Made by the core when it starts; a child of the core. GUI thread only.

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QFileSystemWatcher;
class QTimer;

namespace orvenna::app {

class TAppCore;

class TNoteFileWatch final : public QObject {
    Q_OBJECT

public:
    // Writes seen within this many milliseconds of each other are read as one change.
    static constexpr int SettleMs = 300;
    // A file that does not read is told once it has been left so this long.
    static constexpr int ErrorQuietMs = 2000;

    explicit TNoteFileWatch(TAppCore& core);

    // Reads the file now and takes up what changed (the settled check, for tests).
    void Check();
    // The settle and quiet times, shortened by tests (the quiet time must stay longer than the
    // settle time, or one slow writer is told twice).
    void SetTimes(int settleMs, int errorQuietMs);

private:
    void Changed();
    void TellUnreadable();
    // The file read whole: the next failure is a new burst.
    void Read();
    // The digest of the file's bytes; none when it cannot be read.
    std::optional<std::uint64_t> FileDigestNow() const;
    std::optional<std::string> ReadFile() const;

    TAppCore& Core;
    QString File;
    QFileSystemWatcher* Watcher = nullptr;  // child
    QTimer* Settle = nullptr;               // child
    QTimer* Quiet = nullptr;                // child: runs while a failure waits to be told
    std::uint64_t KnownDigest = 0;          // of the file's bytes at the last look
    QString Unreadable;                     // the failure waiting to be told
    bool Told = false;                      // a failure was told; the file has not read since
};

}  // namespace orvenna::app
