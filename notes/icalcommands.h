#pragma once
// TICalCommands: "Export iCalendar..." and "Import iCalendar..." in the note browser's File
// menu. Export writes the notes and reminders of the browsed year, or of a chosen range of
// days, to an .ics file; import adds the events and to-dos of an .ics file to the store, saves
// the notes file and shows what was added and skipped. The conversion itself is ical/'s.
//
// The object is a child of the browser; the store must outlive it.

#include "store/datetime.h"

#include <QObject>
#include <QString>

#include <functional>
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

// What the commands ask of the desktop; each hook left empty takes the ordinary Qt way.
struct TICalHooks {
    std::function<std::optional<TDayRange>(QWidget* owner, int year)> AskRange;
    // The file names, empty when the user cancels.
    std::function<QString(QWidget* owner, const QString& suggested)> AskExportFile;
    std::function<QString(QWidget* owner)> AskImportFile;
    // The import's summary line (an information box).
    std::function<void(const QString&)> ShowSummary;
    // A failure in the system's words (an error box).
    std::function<void(const QString&)> ShowError;
};

class TICalCommands final : public QObject {
    Q_OBJECT

public:
    // Adds the two commands to the browser's File menu. notesFile is where imports are saved.
    TICalCommands(TBrowseForm& browser, store::TDayPaperList& dayPapers, QString notesFile,
                  TICalHooks hooks = {});

    QAction* ExportICal = nullptr;  // "Export iCalendar..."
    QAction* ImportICal = nullptr;  // "Import iCalendar..."

    void ExportICalClick();
    void ImportICalClick();

signals:
    // An import added items and saved the notes file.
    void DayPapersChanged();

private:
    void ShowError(const QString& text);

    TBrowseForm& Browser;
    store::TDayPaperList& DayPapers;
    QString NotesFile;
    TICalHooks Hooks;
};

}  // namespace orvenna::notes
