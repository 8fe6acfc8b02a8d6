#pragma once
// The rows of the browser's two lists, built from the store without any widget, and the texts
// made from them for the clipboard and for export. Row 0 is the header row; every other row
// has as many cells as the header.

#include "store/localformat.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvenna::store {
class TDayPaper;
class TDayPaperList;
}  // namespace orvenna::store

namespace orvenna::notes {

struct TGridRow {
    std::vector<std::string> Cells;
    // The paper the row belongs to (date and note-line rows of the note list, date rows of the
    // reminder list); points into the store, which never removes papers.
    store::TDayPaper* Paper = nullptr;
};
using TGridRows = std::vector<TGridRow>;

// Note list of one month: header "Date" | "Note", then for each paper of that month in store
// order whose note is not blank, a date row (short date, empty note cell) followed by one row
// per line that is not the empty string. A month without such papers gives the header and one
// empty row.
TGridRows BuildNoteRows(store::TDayPaperList& papers, int year, int month,
                        const store::TLocalFormat& format);
// Reminder list of one month: header "Date" | "Note" | "", then for each paper of that month
// with reminders a date row and one row per reminder: empty, its time in the long time format,
// its subject. A month without reminders gives the header and one empty row.
TGridRows BuildReminderRows(store::TDayPaperList& papers, int year, int month,
                            const store::TLocalFormat& format);

// Adds the rows of a list built from the subscribed calendars' papers (read-only) after the
// rows of the user's own: each date marked " (subscribed)", no row pointing to a paper (so
// nothing of them can be deleted). The empty row of a list without entries is left out,
// unless both lists have none.
void AppendSubscribedRows(TGridRows& rows, const TGridRows& subscribed);

// The position in its paper's Note of the line shown at `row` of a note list: the rows between
// the paper's date row and `row` count the lines that are not the empty string. -1 when `row`
// is the header, a date row, the empty row or outside the list, or when the paper's note no
// longer holds that line at that place (it changed since the list was built).
int NoteLineIndex(const TGridRows& rows, int row);

// The text with leading and trailing blanks and control characters (bytes up to ' ') removed.
std::string TrimBlanks(std::string_view text);

// The row's cells, each followed by CR LF: the clipboard text of a row.
std::string RowText(const TGridRow& row);

// The export file of a list: "Year:<yearText>", "Month:<monthText>", then per row its RowText
// trimmed of blanks, each entry followed by CR LF.
std::string ExportText(std::string_view yearText, std::string_view monthText,
                       const TGridRows& rows);

}  // namespace orvenna::notes
