#include "ical/synclocal.h"

#include "ical/icalsupport.h"
#include "store/daypaperlist.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace orvenna::ical {
namespace {

using store::TDate;

bool HasText(const std::vector<std::string>& lines)
{
    return FirstTextLine(lines) != lines.end();
}

long long SecondOf(store::TDateTime value) { return std::llround(value * 86400.0); }

void SetReminder(store::TReminder& reminder, const TCalendarItem& item)
{
    reminder.When = item.When;
    reminder.Subject = item.Subject;
    reminder.Desc = item.Desc;
    reminder.category = item.Category;
    reminder.Before = item.Before;
    reminder.Recurrency = item.Recurrency;
}

}  // namespace

TLocalNotes::TLocalNotes(store::TDayPaperList& notes, const std::vector<TSyncEntry>& entries)
    : Notes(notes), Entries(entries.size())
{
    ReadStore();
    ClaimExact(entries);
    PairChanged(entries);
    CollectNew();
}

void TLocalNotes::ReadStore()
{
    for (int i = 0; i < Notes.Count(); ++i) {
        store::TDayPaper& paper = Notes.GetDayPaper(i);
        // A second paper of one day (the program never makes one) keeps its note out of the
        // sync, so that nothing of it is sent or deleted; its reminders take part.
        if (Papers.emplace(paper.Day, &paper).second)
            LineOwner[paper.Day].assign(paper.Note.size(), -1);
        for (int r = 0; r < paper.ReminderList.ReminderCount(); ++r) {
            store::TReminder& reminder = paper.ReminderList.GetReminder(r);
            Reminders[store::DateOf(reminder.When)].push_back(
                {&reminder, ItemDigest(ReminderItem(reminder)), -1});
        }
    }
}

std::optional<int> TLocalNotes::FindRun(TDate day, int count, std::uint64_t digest) const
{
    const auto owners = LineOwner.find(day);
    if (owners == LineOwner.end() || count <= 0)
        return std::nullopt;
    const std::vector<std::string>& lines = Papers.at(day)->Note;
    for (int start = 0; start + count <= static_cast<int>(lines.size()); ++start) {
        const auto first = owners->second.begin() + start;
        if (std::any_of(first, first + count, [](int owner) { return owner >= 0; }))
            continue;
        if (LinesDigest({lines.begin() + start, lines.begin() + start + count}) == digest)
            return start;
    }
    return std::nullopt;
}

int TLocalNotes::NewPiece(bool isNote, TDate day)
{
    TPiece piece;
    piece.IsNote = isNote;
    piece.Day = day;
    Pieces.push_back(std::move(piece));
    return static_cast<int>(Pieces.size()) - 1;
}

void TLocalNotes::ClaimLine(int piece, TDate day, int line)
{
    LineOwner[day][line] = piece;
    Pieces[piece].Lines.emplace_back(day, line);
}

void TLocalNotes::ClaimExact(const std::vector<TSyncEntry>& entries)
{
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const TSyncEntry& entry = entries[e];
        TEntryState& state = Entries[e];
        if (!entry.IsNote) {
            for (TReminderSlot& slot : Reminders[entry.Day])
                if (slot.Owner < 0 && slot.Digest == entry.Digest) {
                    state = {TLocalStatus::Same, NewPiece(false, entry.Day)};
                    Pieces[state.Piece].Reminder = slot.Reminder;
                    Pieces[state.Piece].Taken = true;
                    slot.Owner = state.Piece;
                    break;
                }
            continue;
        }
        // Every day of the run is claimed where it is found; the first day decides.
        for (int offset = 0; offset < entry.Days; ++offset) {
            const TDate day = entry.Day + offset;
            const auto start = FindRun(day, entry.LineCount, entry.Digest);
            if (!start)
                continue;
            if (state.Piece < 0) {
                state.Piece = NewPiece(true, entry.Day);
                Pieces[state.Piece].Days = entry.Days;
                Pieces[state.Piece].Taken = true;
            }
            for (int line = *start; line < *start + entry.LineCount; ++line)
                ClaimLine(state.Piece, day, line);
            if (offset == 0)
                state.Status = TLocalStatus::Same;
        }
    }
}

void TLocalNotes::PairChanged(const std::vector<TSyncEntry>& entries)
{
    std::set<TDate> notesTaken;  // days whose free lines an entry took
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const TSyncEntry& entry = entries[e];
        TEntryState& state = Entries[e];
        if (state.Status != TLocalStatus::Gone)
            continue;
        if (!entry.IsNote) {
            for (TReminderSlot& slot : Reminders[entry.Day])
                if (slot.Owner < 0) {
                    state = {TLocalStatus::Changed, NewPiece(false, entry.Day)};
                    Pieces[state.Piece].Reminder = slot.Reminder;
                    Pieces[state.Piece].Taken = true;
                    slot.Owner = state.Piece;
                    break;
                }
            continue;
        }
        const auto paper = Papers.find(entry.Day);
        if (paper == Papers.end() || notesTaken.contains(entry.Day))
            continue;
        std::vector<int> free;
        std::vector<std::string> freeLines;
        const std::vector<int>& owners = LineOwner[entry.Day];
        for (int line = 0; line < static_cast<int>(owners.size()); ++line)
            if (owners[line] < 0) {
                free.push_back(line);
                freeLines.push_back(paper->second->Note[line]);
            }
        if (!HasText(freeLines))
            continue;
        notesTaken.insert(entry.Day);
        if (state.Piece < 0) {
            state.Piece = NewPiece(true, entry.Day);
            Pieces[state.Piece].Days = entry.Days;
            Pieces[state.Piece].Taken = true;
        }
        // The entry's lines on the first day come first, in order.
        std::vector<std::pair<TDate, int>> later = std::move(Pieces[state.Piece].Lines);
        Pieces[state.Piece].Lines.clear();
        for (const int line : free)
            ClaimLine(state.Piece, entry.Day, line);
        Pieces[state.Piece].Lines.insert(Pieces[state.Piece].Lines.end(), later.begin(),
                                         later.end());
        const bool same = static_cast<int>(freeLines.size()) == entry.LineCount &&
                          LinesDigest(freeLines) == entry.Digest;
        state.Status = same ? TLocalStatus::Same : TLocalStatus::Changed;
    }
}

void TLocalNotes::CollectNew()
{
    for (auto& [day, owners] : LineOwner) {
        std::vector<std::string> freeLines;
        for (std::size_t line = 0; line < owners.size(); ++line)
            if (owners[line] < 0)
                freeLines.push_back(Papers.at(day)->Note[line]);
        if (!HasText(freeLines))
            continue;
        const int piece = NewPiece(true, day);
        for (int line = 0; line < static_cast<int>(owners.size()); ++line)
            if (owners[line] < 0)
                ClaimLine(piece, day, line);
    }
    for (auto& [day, slots] : Reminders)
        for (TReminderSlot& slot : slots)
            if (slot.Owner < 0) {
                slot.Owner = NewPiece(false, day);
                Pieces[slot.Owner].Reminder = slot.Reminder;
            }
}

std::vector<int> TLocalNotes::NewPieces() const
{
    std::vector<int> found;
    for (int piece = 0; piece < static_cast<int>(Pieces.size()); ++piece)
        if (!Pieces[piece].Taken &&
            (!Pieces[piece].IsNote || HasText(LinesOn(Pieces[piece], Pieces[piece].Day))))
            found.push_back(piece);
    return found;
}

std::vector<std::string> TLocalNotes::LinesOn(const TPiece& piece, TDate day) const
{
    std::vector<std::string> lines;
    for (const auto& [lineDay, line] : piece.Lines)
        if (lineDay == day)
            lines.push_back(Papers.at(day)->Note[line]);
    return lines;
}

TCalendarItem TLocalNotes::ItemOf(int piece) const
{
    const TPiece& held = Pieces[piece];
    if (!held.IsNote)
        return ReminderItem(*held.Reminder);
    TCalendarItem item = NoteItem(held.Day, LinesOn(held, held.Day));
    item.Days = held.Days;
    return item;
}

bool TLocalNotes::Empty() const
{
    for (const TPiece& piece : Pieces)
        if (!piece.IsNote || HasText(LinesOn(piece, piece.Day)))
            return false;
    return true;
}

int TLocalNotes::SplitRun(int piece, const std::vector<std::string>& run)
{
    TPiece& source = Pieces[piece];
    std::vector<std::pair<TDate, int>> onDay;
    for (const auto& position : source.Lines)
        if (position.first == source.Day)
            onDay.push_back(position);
    const std::vector<std::string> lines = LinesOn(source, source.Day);
    const auto found = std::search(lines.begin(), lines.end(), run.begin(), run.end());
    if (run.empty() || found == lines.end())
        return -1;
    const auto start = found - lines.begin();
    const int split = NewPiece(true, Pieces[piece].Day);
    for (auto i = start; i < start + static_cast<long>(run.size()); ++i)
        ClaimLine(split, onDay[i].first, onDay[i].second);
    auto& remaining = Pieces[piece].Lines;
    remaining.erase(std::remove_if(remaining.begin(), remaining.end(),
                                   [&](const auto& position) {
                                       return LineOwner[position.first][position.second] == split;
                                   }),
                    remaining.end());
    Pieces[split].Taken = true;
    return split;
}

int TLocalNotes::FreePieceOn(bool isNote, TDate day) const
{
    for (int piece = 0; piece < static_cast<int>(Pieces.size()); ++piece) {
        const TPiece& held = Pieces[piece];
        if (!held.Taken && held.IsNote == isNote && held.Day == day &&
            (!isNote || HasText(LinesOn(held, day))))
            return piece;
    }
    return -1;
}

int TLocalNotes::TakeMatch(const TCalendarItem& arriving)
{
    if (!arriving.IsNote) {
        const TDate day = store::DateOf(arriving.When);
        for (int piece = 0; piece < static_cast<int>(Pieces.size()); ++piece) {
            TPiece& held = Pieces[piece];
            if (!held.Taken && !held.IsNote && held.Day == day &&
                SecondOf(held.Reminder->When) == SecondOf(arriving.When) &&
                held.Reminder->Subject == arriving.Subject) {
                held.Taken = true;
                return piece;
            }
        }
        return -1;
    }
    int taken = -1;
    for (int offset = 0; offset < std::max(arriving.Days, 1); ++offset) {
        const TDate day = arriving.Day + offset;
        const int piece = FreePieceOn(true, day);  // a day has one piece of new lines at most
        if (piece < 0) {
            if (offset == 0)
                return -1;
            continue;
        }
        if (offset == 0) {
            // The same first line (the subject) is the same item, whatever follows.
            const std::vector<std::string> lines = LinesOn(Pieces[piece], day);
            const auto arrivingFirst = FirstTextLine(arriving.Lines);
            if (arrivingFirst != arriving.Lines.end() && *FirstTextLine(lines) == *arrivingFirst) {
                Pieces[piece].Taken = true;
                taken = piece;
                continue;
            }
        }
        const int split = SplitRun(piece, arriving.Lines);
        if (split < 0) {
            if (offset == 0)
                return -1;
        } else if (taken < 0) {
            taken = split;
        } else {  // a later day of the same item joins its first piece
            for (const auto& [lineDay, line] : Pieces[split].Lines)
                ClaimLine(taken, lineDay, line);
            Pieces[split].Lines.clear();
        }
    }
    Pieces[taken].Days = std::max(arriving.Days, 1);
    return taken;
}

void TLocalNotes::Remove(int piece) { Edits[piece] = std::nullopt; }

void TLocalNotes::Replace(int piece, TCalendarItem item) { Edits[piece] = std::move(item); }

void TLocalNotes::Add(TCalendarItem item) { Additions.push_back(std::move(item)); }

void TLocalNotes::Apply()
{
    std::vector<TCalendarItem> additions = Additions;
    std::vector<store::TReminder*> deleted;
    for (const auto& [piece, edit] : Edits) {
        const TPiece& held = Pieces[piece];
        if (held.IsNote)
            continue;
        if (edit && !edit->IsNote &&
            store::DateOf(edit->When) == store::DateOf(held.Reminder->When)) {
            SetReminder(*held.Reminder, *edit);
            continue;
        }
        deleted.push_back(held.Reminder);
        if (edit)
            additions.push_back(*edit);
    }
    for (store::TReminder* reminder : deleted) {
        store::TReminderList* list = reminder->Collection();
        list->DeleteReminder(list->IndexOf(*reminder));
    }
    ApplyNotes(additions);
    for (const TCalendarItem& item : additions) {
        const auto paperOf = [this](TDate day) -> store::TDayPaper& {
            if (store::TDayPaper* paper = Notes.FindDayPaper(day))
                return *paper;
            store::TDayPaper& paper = Notes.AddDayPaper();
            paper.Day = day;
            return paper;
        };
        if (!item.IsNote) {
            SetReminder(paperOf(store::DateOf(item.When)).ReminderList.AddReminder(), item);
            continue;
        }
        for (int offset = 0; offset < std::max(item.Days, 1); ++offset) {
            std::vector<std::string>& note = paperOf(item.Day + offset).Note;
            note.insert(note.end(), item.Lines.begin(), item.Lines.end());
        }
    }
    Edits.clear();
    Additions.clear();
}

// Rebuilds the notes of the days an edited note piece holds lines on: a removed piece's lines
// go, a replaced piece's new lines take the place of its first line on each day both cover, and
// the days only the new item covers get its lines at the end (through additions).
void TLocalNotes::ApplyNotes(std::vector<TCalendarItem>& additions)
{
    std::set<TDate> days;
    for (const auto& [piece, edit] : Edits) {
        const TPiece& held = Pieces[piece];
        if (!held.IsNote)
            continue;
        for (const auto& position : held.Lines)
            days.insert(position.first);
        if (!edit)
            continue;
        if (!edit->IsNote) {
            additions.push_back(*edit);
            continue;
        }
        for (int offset = 0; offset < std::max(edit->Days, 1); ++offset) {
            const TDate day = edit->Day + offset;
            const bool placed = std::any_of(held.Lines.begin(), held.Lines.end(),
                                            [day](const auto& p) { return p.first == day; });
            if (!placed) {
                TCalendarItem oneDay = NoteItem(day, edit->Lines);
                additions.push_back(std::move(oneDay));
            }
        }
    }
    for (const TDate day : days) {
        std::vector<std::string>& note = Papers.at(day)->Note;
        const std::vector<int>& owners = LineOwner.at(day);
        std::vector<std::string> rebuilt;
        std::set<int> placed;
        for (std::size_t line = 0; line < note.size(); ++line) {
            const int owner = owners[line];
            const auto edit = owner >= 0 ? Edits.find(owner) : Edits.end();
            if (edit == Edits.end()) {
                rebuilt.push_back(std::move(note[line]));
                continue;
            }
            const std::optional<TCalendarItem>& item = edit->second;
            const bool covers = item && item->IsNote && day >= item->Day &&
                                day < item->Day + std::max(item->Days, 1);
            if (covers && placed.insert(owner).second)
                rebuilt.insert(rebuilt.end(), item->Lines.begin(), item->Lines.end());
        }
        note = std::move(rebuilt);
    }
}

}  // namespace orvenna::ical
