#pragma once
// The note editor's save, apart from its window: what the user left in the sheet and in the
// reminder rows is laid over the day's paper as the store holds it at that moment
// (store/papermerge.h), so that changes made elsewhere while the editor was open are kept.

#include "store/daypaperlist.h"
#include "store/localformat.h"

#include <QString>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace orvenna::notes {

inline constexpr int EditorNoteLines = 12;
inline constexpr int EditorReminderRows = 11;

// One reminder per editor row 1..EditorReminderRows (index 0 unused); none: the row holds none.
using TRowReminders = std::array<std::unique_ptr<store::TReminder>, EditorReminderRows + 1>;

// A reminder row with a time, as the user left it.
struct TEditedRow {
    int Row = 0;                // 1..EditorReminderRows
    store::TDateTime When = 0;  // the time cell read on the editor's day
    QString Time;               // the time cell as shown
    QString Subject;
};

// The day's paper in the store, found again, or added when the store no longer has it.
store::TDayPaper& FindOrAddPaper(store::TDayPaperList& papers, store::TDate day);

// The sheet's lines (index-aligned with base's first lines) laid over theirs. Lines of base
// beyond the sheet (from a file written elsewhere) are kept after it.
std::vector<std::string> MergeSheet(const std::vector<std::string>& base,
                                    std::vector<std::string> sheet,
                                    const std::vector<std::string>& theirs);

// Merges the filled rows into the paper's reminders and returns what each row holds now.
// objects: each row's reminder with the fields the grid does not show; base: the reminder each
// row stood for at the last load or save. A time cell still showing base's time as it was
// formatted keeps base's exact value (seconds written by another program).
TRowReminders MergeReminderRows(const std::vector<TEditedRow>& rows, const TRowReminders& objects,
                                const TRowReminders& base, const store::TLocalFormat& format,
                                store::TDayPaper& paper);

}  // namespace orvenna::notes
