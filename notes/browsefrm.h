#pragma once
// TBrowseForm: the "Browse" window. It lists the notes or the reminders of one month of one
// year, searches the note texts, deletes single note lines (having the store saved at once),
// copies a row to the clipboard and exports a list to a text file with CR LF line ends.
//
// It holds references to the store and the settings record of the calendar, which must
// outlive it; it owns neither. The lists point into the store: whenever the store changed
// (an editor saved, this window deleted a line, another program wrote the file) the opener
// calls NotesChanged() so that the lists are built again.

#include "notes/browserows.h"
#include "notes/notesaver.h"
#include "store/localformat.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvenna::store {
class TCalSetting;
class TDayPaperList;
}  // namespace orvenna::store

namespace orvenna::notes {

class TBrowseForm final : public QMainWindow {
    Q_OBJECT

public:
    // Lists browseMonth (1..12) of browseYear; deletions are saved through saveNotes.
    TBrowseForm(store::TDayPaperList& dayPapers, store::TLocalFormat localFormat,
                store::TCalSetting& settings, int browseYear, int browseMonth,
                TSaveNotes saveNotes, QWidget* parent = nullptr);
    ~TBrowseForm() override;

    // ---- state --------------------------------------------------------------------------------
    int BrowseYear = 0;
    // The month whose node is selected, 1..12.
    int BrowseMonth() const;
    store::TCalSetting& Settings() const { return FSettings; }
    // The calendar's date and time conventions the lists and the export dialog follow.
    const store::TLocalFormat& Format() const { return LocalFormat; }
    const TGridRows& NoteRows() const { return FNoteRows; }
    const TGridRows& ReminderRows() const { return FReminderRows; }
    bool ReminderPageActive() const;

    // The papers of the subscribed calendars, listed after the user's own and marked, never
    // changed; null (the default): none. Not owned; set again whenever they change (the
    // lists are built again).
    void SetSubscribed(store::TDayPaperList* subscribed);

    // ---- components ---------------------------------------------------------------------------
    QComboBox* YearCombo = nullptr;
    QComboBox* SearchText = nullptr;
    QPushButton* Button1 = nullptr;  // "&Search"
    QTreeWidget* MonthTv = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QTableWidget* NoteGrid = nullptr;
    QTableWidget* ReminderGrid = nullptr;
    QAction* Action1 = nullptr;  // "&Copy"
    QAction* Action2 = nullptr;  // "&Delete"
    QAction* Action3 = nullptr;  // "&Search", hidden
    QAction* Export2 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* About1 = nullptr;
    // "&File"; other export and import commands go in with InsertFileCommand.
    QMenu* FileMenu() const { return File1; }
    // Adds a command to "&File" after the ones there, before "&Close".
    void InsertFileCommand(QAction* action);

    // ---- handlers -----------------------------------------------------------------------------
    void FillNotes(int month);
    void FillReminders(int month);
    void YearComboChange();
    void PageControl1Change();
    void Action1Execute();
    void Action2Execute();
    void Button1Click();
    void Export2Click();
    void About1Click();
    void DeleteNoteLine();
    void SearchNotes(const QString& text);
    // The date rows and lines of the grid, as the export writes them.
    void ExportGrid(const TGridRows& rows, const QString& fileName);

public slots:
    // The store changed: the shown list is built again, keeping the current row where it can.
    void NotesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenu();
    void CreateToolBar();
    void CreatePages();
    void Connect();
    void FormShow();
    void FormResize();
    void Refill();
    void MonthTvChange();
    void NoteGridSelectCell(int row);
    void ShowRows(QTableWidget& grid, const TGridRows& rows);
    void SelectYearText(int year);
    void SelectMonth(int month);
    bool ReadYearText(int& year);
    void ShowError(const QString& text);
    QTableWidget& ActiveGrid() const;
    const TGridRows& ActiveRows() const;

    store::TDayPaperList& DayPapers;
    store::TDayPaperList* Subscribed = nullptr;
    store::TLocalFormat LocalFormat;
    store::TCalSetting& FSettings;
    TSaveNotes SaveNotes;
    int StartMonth = 1;

    TGridRows FNoteRows;
    TGridRows FReminderRows;
    QMenu* File1 = nullptr;
    QAction* FileSeparator = nullptr;  // before "&Close"
    QToolBar* ToolBar1 = nullptr;
};

}  // namespace orvenna::notes
