#pragma once
// TICalCommands: "Export iCalendar..." and "Import iCalendar..." in the note browser's File
// menu. Export writes the notes and reminders of the browsed year, or of a chosen range of
// days, to an .ics file; import adds the events and to-dos of an .ics file to the store, has the
// store saved and shows what was added and skipped. The conversion itself is ical/'s.
//
// The object is a child of the browser; the store must outlive it.

#include "notes/notesaver.h"
#include "store/datetime.h"

#include <QObject>
#include <QString>

#include <optional>
#include <utility>

class QAction;
class QWidget;

namespace orvenna::store {
class TDayPaperList;
}  // namespace orvenna::store

namespace orvenna::notes {

class TBrowseForm;

// First and last day of an export, inclusive.
using TDayRange = std::pair<store::TDate, store::TDate>;

// The dialog asking for the year or a range of days; none when cancelled. Its calendars start
// their weeks on firstWeekday (0 = Sunday .. 6).
std::optional<TDayRange> AskICalRange(QWidget* owner, int year, int firstWeekday = 0);

class TICalCommands final : public QObject {
    Q_OBJECT

public:
    // Adds the two commands to the browser's File menu; imports are saved through saveNotes.
    TICalCommands(TBrowseForm& browser, store::TDayPaperList& dayPapers, TSaveNotes saveNotes);

    QAction* ExportICal = nullptr;  // "Export iCalendar..."
    QAction* ImportICal = nullptr;  // "Import iCalendar..."

    void ExportICalClick();
    void ImportICalClick();

private:
    void ShowError(const QString& text);

    TBrowseForm& Browser;
    store::TDayPaperList& DayPapers;
    TSaveNotes SaveNotes;
};

}  // namespace orvenna::notes
