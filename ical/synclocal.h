#pragma once
// The notes side of a sync: which lines and reminders of the store each item of the side file
// holds now, what is new, and the edits that bring arrived items in.
//
// A note item is a run of lines in a day's note (a day's note may hold several: its own lines and
// those of all-day events that arrived), found again by its line count and digest; a reminder
// item is one reminder, found by its digest. What the entries no longer find was changed or
// deleted: on each day, an entry that lost its lines takes the day's lines no entry holds (a
// change), and one that lost its reminder takes a reminder of the same day no entry holds, in
// order; the rest were deleted. Lines and reminders left over are new items, one note item per
// day and one item per reminder.

#include "ical/syncstate.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace orvenna::store {
class TDayPaperList;
class TDayPaper;
class TReminder;
}  // namespace orvenna::store

namespace orvenna::ical {

enum class TLocalStatus { Same, Changed, Gone };

class TLocalNotes final {
public:
    // Scans the store against the entries, in their order. The store must outlive this object
    // and stay unchanged until Apply.
    TLocalNotes(store::TDayPaperList& notes, const std::vector<TSyncEntry>& entries);

    TLocalStatus Status(int entry) const { return Entries[entry].Status; }
    // The piece an entry holds now; -1 when it is gone. A gone note of several days may still
    // hold its lines on the later days.
    int PieceOf(int entry) const { return Entries[entry].Piece; }
    // Pieces no entry holds and no match took, in store order.
    std::vector<int> NewPieces() const;
    // What a piece holds now as an item (no UID); a note's Days is the entry's.
    TCalendarItem ItemOf(int piece) const;
    // True when the notes hold no item at all.
    bool Empty() const;

    // Takes the new piece that is the same item as one arriving from the server: a reminder
    // equal in date, time of day and subject; the note lines it carries found as a run among a
    // day's new lines (split off from them), or a day's new lines headed by the same first line.
    // Returns the piece, or -1.
    int TakeMatch(const TCalendarItem& arriving);

    // Edits, applied by Apply: a piece's content removed, or replaced by an item (in place where
    // the item is of the same kind and day), and items added.
    void Remove(int piece);
    void Replace(int piece, TCalendarItem item);
    void Add(TCalendarItem item);
    bool HasEdits() const { return !Edits.empty() || !Additions.empty(); }
    void Apply();

private:
    struct TPiece {
        bool IsNote = false;
        store::TDate Day = 0;
        int Days = 1;
        std::vector<std::pair<store::TDate, int>> Lines;  // notes: (day, line index), in order
        store::TReminder* Reminder = nullptr;
        bool Taken = false;  // held by an entry or a match
    };
    struct TEntryState {
        TLocalStatus Status = TLocalStatus::Gone;
        int Piece = -1;
    };
    struct TReminderSlot {
        store::TReminder* Reminder = nullptr;
        std::uint64_t Digest = 0;
        int Owner = -1;
    };

    void ReadStore();
    void ClaimExact(const std::vector<TSyncEntry>& entries);
    void PairChanged(const std::vector<TSyncEntry>& entries);
    void CollectNew();
    std::optional<int> FindRun(store::TDate day, int count, std::uint64_t digest) const;
    int NewPiece(bool isNote, store::TDate day);
    void ClaimLine(int piece, store::TDate day, int line);
    std::vector<std::string> LinesOn(const TPiece& piece, store::TDate day) const;
    int SplitRun(int piece, const std::vector<std::string>& run);
    // The piece of new lines (or a new reminder) of a day; -1 when there is none.
    int FreePieceOn(bool isNote, store::TDate day) const;
    void ApplyNotes(std::vector<TCalendarItem>& additions);

    store::TDayPaperList& Notes;
    std::map<store::TDate, store::TDayPaper*> Papers;
    std::map<store::TDate, std::vector<int>> LineOwner;  // per day, per line: piece or -1
    std::map<store::TDate, std::vector<TReminderSlot>> Reminders;
    std::vector<TPiece> Pieces;
    std::vector<TEntryState> Entries;
    std::map<int, std::optional<TCalendarItem>> Edits;  // by piece: removed, or replaced
    std::vector<TCalendarItem> Additions;
};

}  // namespace orvenna::ical
