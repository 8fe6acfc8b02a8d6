#pragma once
// Three-way merge of one day paper: an editor opened on a copy of the paper (the base), the
// user changed it (mine), and meanwhile the paper in the store changed too (theirs: a reload
// of a file another program wrote, a line deleted in the browser). The result keeps every
// change of theirs and lays the user's changes over it; where both changed the same line or
// reminder, the user's change wins, and nothing else of theirs is lost.

#include "store/daypapers.h"
#include "store/daypaperlist.h"

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

// Note lines edited anywhere, not only in place (a line deleted in the browser, lines added
// before others): the lines mine added, deleted or changed since base are laid over theirs.
// Lines both sides kept stay once, a line either side deleted goes, and the lines each side
// added stand where it put them, theirs first; the same lines added by both stand once. A line
// both changed is kept in both versions, so that neither is lost.
std::vector<std::string> MergeLineEdits(const std::vector<std::string>& base,
                                        const std::vector<std::string>& mine,
                                        const std::vector<std::string>& theirs);

// The changes from base to mine of one day laid over theirs, in place: the note lines by
// MergeLineEdits; each reminder mine no longer holds removed where theirs still holds it, each
// one mine added appended unless theirs added the same.
void MergePaperEdits(const TDayPaper& base, const TDayPaper& mine, TDayPaper& theirs);

// What a program changed in its store since the notes file last held base, laid over the file
// as another program left it (theirs), day by day, in theirs. A day mine holds as base held it
// is theirs' as it is; a day mine changed is merged into theirs' paper (MergePaperEdits), or
// added when theirs has none and the merge leaves anything. An empty paper mine added is left
// out, and a paper mine dropped stays in theirs. The n-th paper of a day in each store stands
// for the same paper. When theirs is not whole (the file did not read to its end), a paper of
// mine that theirs lacks is added as mine holds it: it may be one that could not be read.
void MergeChangedDays(TDayPaperList& base, TDayPaperList& mine, TDayPaperList& theirs,
                      bool theirsWhole = true);

}  // namespace orvenna::store
