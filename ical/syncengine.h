#pragma once
// Two-way sync of the notes file with one calendar collection on a server. Standard library,
// store and libical only: the server is reached through TCalendarServer, so the same engine runs
// in the command-line companion, in the program (on a worker thread) and against the tests'
// servers.
//
// Items are those of the iCalendar export: a day's note lines an all-day event, a reminder a
// timed event with its alarm and repeat rule; what arrives is read as the import reads it. Each
// item the notes send becomes one resource; a resource of the server may hold several items.
//
// Decisions, item by item, against the side file of the last sync (syncstate.h):
// - First sync (no side file, or another collection): the union of both sides; a reminder equal
//   in date, time of day and subject on both sides, or a note whose lines (or first line) the
//   day's note already holds, is one item, not two. Later syncs match new items the same way,
//   so a sync cut short before its side file was saved makes no duplicates.
// - Changes and deletions on either side since the last sync reach the other side. A deletion
//   never wins over a change made on the other side; when both sides changed an item
//   differently, both versions are kept on both sides and counted as a conflict.
// - New resources are written with If-None-Match: *, changes and deletions with If-Match; a
//   412 fetches the resource and decides again; a 409 for a UID taken elsewhere writes the item
//   under a new UID.
// - When one side is empty and the other still holds items synced before, nothing is deleted and
//   the sync stops (TSyncFailure::Guard) unless ForceDelete is set.
//
// Files: the notes file is read at the start and, under the notes file's lock, once more at the
// end; what arrived is written in one crash-safe save, only when something arrived, followed by
// the side file. When another program changed the notes file while the sync talked to the
// server, what arrived is left for the next sync (the side file keeps what was sent). A sync that
// fails writes neither file, so the notes file stays byte-identical.

#include "ical/calendarserver.h"
#include "ical/icalendar.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace orvenna::ical {

struct TSyncCounts {
    int Added = 0;
    int Changed = 0;
    int Deleted = 0;

    bool operator==(const TSyncCounts&) const = default;
};

// How far a running sync has come: resources fetched and written so far, and how many of each
// it means to do (the planned writes can grow when a 412 or a 409 asks for another).
struct TSyncProgress {
    int Received = 0;
    int ToReceive = 0;
    int Sent = 0;
    int ToSend = 0;
};

struct TSyncOptions {
    std::string NotesFile;
    std::string StateFile;  // empty: SyncStateFileFor(NotesFile)
    bool ForceDelete = false;
    // The local zone's name, as for the iCalendar export and import; none: SystemZoneName().
    std::optional<std::string> ZoneName;
    // How long to wait for the notes file's lock (held by a save of the program or another sync).
    std::chrono::milliseconds LockWait{30000};
    // Called on the sync's own thread after each request that fetched or wrote resources.
    std::function<void(const TSyncProgress&)> Progress;
    // Polled between requests; true stops the sync (TSyncFailure::Cancelled) with no file written.
    std::function<bool()> Cancelled;
};

struct TSyncResult {
    TSyncCounts Sent;      // resources added, changed and deleted on the server
    TSyncCounts Received;  // items added, changed and deleted in the notes
    int Conflicts = 0;     // items both sides changed: both versions kept
    TSyncFailure Failure = TSyncFailure::None;
    std::string Error;          // empty when the sync was done
    bool NotesWritten = false;  // the notes file was saved (something arrived)
    bool Postponed = false;     // the notes changed meanwhile: what arrived waits for next time
    std::string Collection;     // the collection's URL, after discovery

    bool Done() const { return Failure == TSyncFailure::None; }
};

// "Sync.dat" in the notes file's folder.
std::string SyncStateFileFor(const std::string& notesFile);

// Runs one sync. Every failure is in the result (nothing is thrown but std::bad_alloc); the
// counts tell what was done before it. Not reentrant for one notes file: the lock keeps a second
// sync from writing at the same moment, not from deciding on the same state.
TSyncResult SyncNotes(TCalendarServer& server, const TSyncOptions& options);

}  // namespace orvenna::ical
