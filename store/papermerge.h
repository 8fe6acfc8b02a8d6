#pragma once
// Three-way merge of one day paper: an editor opened on a copy of the paper (the base), the
// user changed it (mine), and meanwhile the paper in the store changed too (theirs: a reload
// of a file another program wrote, a line deleted in the browser). The result keeps every
// change of theirs and lays the user's changes over it; where both changed the same line or
// reminder, the user's change wins, and nothing else of theirs is lost.

#include "store/daypapers.h"

#include <string>
#include <vector>

namespace orvenna::store {

// Note lines. mine is index-aligned with base (the editor's sheet edits lines in place):
// mine[i] replaces base[i]; lines of mine past the end of base are added after theirs (up to
// the last one that is not empty). A base line that theirs still holds, somewhere, is changed
// where theirs holds it; one that theirs dropped is dropped unless the user changed it. When
// theirs equals base, the result is mine exactly.
std::vector<std::string> MergeNoteLines(const std::vector<std::string>& base,
                                        const std::vector<std::string>& mine,
                                        const std::vector<std::string>& theirs);

// True when the reminders have the same content (SomeData aside).
bool SameReminder(const TReminder& a, const TReminder& b);

// What became of one reminder in an editor: Before as the store held it (null: a new one),
// After as the user left it (null: removed).
struct TReminderChange {
    const TReminder* Before = nullptr;
    const TReminder* After = nullptr;
};

// Lays the user's reminder changes over theirs, in place. A changed or removed reminder is found
// in theirs by its Before content and replaced or removed there; when theirs no longer holds it
// (it was changed elsewhere too), a changed one is added and a removed one is left be. New ones
// are appended in the order given. Changes whose After equals Before do nothing.
void MergeReminders(const std::vector<TReminderChange>& changes, TReminderList& theirs);

// True when both papers hold the same note lines and the same reminders in the same order.
bool SamePaper(const TDayPaper& a, const TDayPaper& b);

}  // namespace orvenna::store
