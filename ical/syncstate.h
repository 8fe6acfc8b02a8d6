#pragma once
// The side file of a sync ("Sync.dat" beside the notes file): what ties the notes to the
// resources of one calendar collection as they were after the last sync. The notes file keeps
// its own format untouched; this file is all the sync remembers.
//
// Text, UTF-8, one record per line, fields separated by tabs; backslash, tab, CR and LF inside a
// field are written \\ \t \r \n:
//   orvenna-sync 1
//   collection URL
//   ctag CTAG
//   token SYNCTOKEN
//   resource HREF ETAG PARTIAL  a resource of the collection, followed by its items; PARTIAL
//                               is "partial" when it holds what the notes cannot (else empty)
//   note UID DAY DAYS LINES DIGEST SERVERDIGEST   note lines: first day, days covered, lines
//   reminder UID DAY DIGEST SERVERDIGEST          a reminder: its day
// DIGEST is the item's digest (ItemDigest) as the notes held it when it was last synced,
// SERVERDIGEST the digest of the item as the server's copy reads.

#include "ical/icalendar.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvenna::ical {

struct TSyncEntry {
    std::string Uid;
    bool IsNote = false;
    store::TDate Day = 0;
    int Days = 1;       // notes: the days covered
    int LineCount = 0;  // notes: the lines of the run
    std::uint64_t Digest = 0;
    std::uint64_t ServerDigest = 0;

    bool operator==(const TSyncEntry&) const = default;
};

struct TSyncRecord {
    std::string Href;
    std::string Etag;
    std::vector<TSyncEntry> Entries;  // may be empty: a resource with nothing the notes hold
    // The resource holds components the notes cannot (a to-do without a due date, a changed
    // occurrence): the sync never writes over it or deletes it.
    bool Partial = false;

    bool operator==(const TSyncRecord&) const = default;
};

struct TSyncState {
    std::string Collection;  // the collection's URL; a different one starts afresh
    std::string Ctag;
    std::string SyncToken;
    std::map<std::string, TSyncRecord> Records;  // by href

    bool operator==(const TSyncState&) const = default;
    // True when items were synced before (some record holds one).
    bool HasEntries() const;
};

// The side file cannot be read: its name and the line at fault.
class ESyncStateError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string SyncStateToText(const TSyncState& state);
// Throws ESyncStateError naming the line that does not read.
TSyncState SyncStateFromText(const std::string& text);

// Reads the side file; a file that does not exist gives an empty state (a first sync). Throws
// ESyncStateError for a damaged file, store::EFileError when it exists but cannot be opened.
TSyncState LoadSyncState(const std::string& fileName);
// Saves crash-safely (store/filesave.h); throws as SaveFileAtomically does.
void SaveSyncState(const std::string& fileName, const TSyncState& state);

// The digest of an item's content as the notes hold it (the UID does not count): a reminder's
// time to the second, subject, description, category, lead time and repeat; a note's lines.
// The same on every machine and every run.
std::uint64_t ItemDigest(const TCalendarItem& item);
std::uint64_t LinesDigest(const std::vector<std::string>& lines);

}  // namespace orvenna::ical
