#pragma once
// TNoteForm: the window "Note and Reminder" in which the user writes the note of one day and
// edits the day's reminders. A header bar shows the date and the weekday; the page "&Note" is
// a ruled sheet of 12 lines, the page "Reminder" a grid of 11 reminders (time, subject) whose
// rows open in the reminder dialog. Edits live in the two grids until SaveNote copies them
// into the day paper and writes the whole store to "2004.cal" in the program folder.
//
// The opener hands over everything: the store, the day's paper (already in the store), the
// locale record (copied), the program folder and the settings record (kept, unused). The
// window emits Closed whenever it closes and NotesSaved after it wrote the file; it owns none
// of the objects it was handed.
//
// The window keeps a copy of the paper as it opened it, never a reference into the store: the
// store may reload its file or the browser may change the day while the window is open. Saving
// finds the day's paper again and merges the user's changes into what it holds then
// (store/papermerge.h), so changes made elsewhere meanwhile are kept.
//
// TMyStringGrid: the reminder grid. Row 0 is a header row without text, painted with the grid
// background picture; rows 1..11 hold a time in column 0 (typed, or picked from 24 entries)
// and a subject in column 1 (with an ellipsis button that opens the dialog).

#include "notes/reminderfrm.h"
#include "store/daypaperlist.h"
#include "store/localformat.h"
#include "store/settings.h"

#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QTabWidget;

namespace orvenna::notes {

enum class TEditStyle { esSimple, esPickList, esEllipsis };

class TMyStringGrid final : public QTableWidget {
    Q_OBJECT

public:
    // rows and columns include the header row 0. programFolder locates the header picture.
    TMyStringGrid(const QString& programFolder, QWidget* parent = nullptr);

    // The text of cell (column, row); empty for a cell without text.
    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);

    // Column 0: pick list; column 1: ellipsis button; any other column: a plain editor.
    static TEditStyle GetEditStyle(int column, int row);
    // For column 0 the items become the 24 entries 1 :00 PM .. 12 :00 PM, 1 :00 AM ..
    // 12 :00 AM; other columns keep theirs.
    static void EditListGetItems(int column, int row, QStringList& items);
    static QStringList PickList();

    // The open pick-list editor, or none.
    QComboBox* EditList() const { return FEditList; }
    // Hands every editor's text to its cell at once, as the user types.
    void CommitOpenEditor();

    const QString& ProgramFolder() const { return Folder; }

signals:
    // The ellipsis button of the current row was pressed.
    void EditButtonClicked();

private:
    friend class TGridDelegate;
    QString Folder;
    QPointer<QComboBox> FEditList;
    QPointer<QWidget> OpenEditor;  // the last editor made, until it is deleted
    QPersistentModelIndex OpenEditorIndex;
};

class TNoteForm final : public QDialog {
    Q_OBJECT

public:
    static constexpr int NoteLines = 12;
    static constexpr int ReminderRows = 11;

    // All references must outlive the window; dayPaper belongs to dayPapers.
    TNoteForm(store::TDayPaperList& dayPapers, store::TDayPaper& dayPaper,
              const store::TLocalFormat& localFormat, const QString& programFolder,
              store::TCalSetting& settings, QWidget* parent = nullptr);
    ~TNoteForm() override;
    // The first showing puts the focus on the first line of the sheet.
    void setVisible(bool visible) override;

    store::TDateTime EditDate() const { return FEditDate; }
    bool NoteModified() const { return FNoteModified; }
    void SetMessageSink(TMessageSink sink) { Messages = std::move(sink); }

    QTableWidget* Stringgrid1() const { return FNoteGrid; }
    // The editor of a line of the sheet (0..11).
    QLineEdit* NoteLine(int row) const;
    TMyStringGrid* ReminderGrid() const { return FReminderGrid; }
    QTabWidget* PageControl1() const { return FPageControl; }
    QLabel* Image1() const { return FImage1; }
    QLabel* Image2() const { return FImage2; }
    QWidget* PaintBox1() const { return FPaintBox; }
    // The row object of a reminder row: a copy carrying the reminder's other fields, or none
    // for a row typed in directly.
    const store::TReminder* RowObject(int row) const;
    // "<short date> <long weekday>" of EditDate.
    QString HeaderText() const;

    // The ellipsis button of the current reminder row: opens the reminder dialog on a copy of
    // the row; OK writes the row back. A time cell that cannot be read is refused with its
    // message and the dialog is not shown.
    void EditReminder();
    // Merges the grids into the day's paper as the store holds it now and writes "2004.cal".
    // Every reminder row is read before the paper changes: a time that cannot be read is
    // refused with its message and the paper and the file stay as they were; so do they when
    // the file cannot be written. Note lines beyond the sheet's 12 and reminders beyond the
    // grid's 11 (from a file written elsewhere) are kept. When the paper had changed since the
    // window showed it, the window shows the merged paper afterwards. False when nothing was
    // saved; the window stays open then.
    bool SaveNote();
    // SaveNote, then close when it succeeded.
    void Image1Click();
    void Image2Click();

signals:
    // The window closed, saved or not; the opener refreshes the note marks.
    void Closed();
    // The store was written to the notes file.
    void NotesSaved();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TStoredRow {
        int Row = 0;
        store::TDateTime When = 0;
    };

    void FormCreate();
    void CreateNoteGrid();
    void CreateReminderGrid();
    void CreateImageButtons();
    void FormShow();
    void FillSheet();
    void LoadReminders();
    // Reads every filled reminder row; refuses the first unreadable time cell.
    bool ReadReminderRows(std::vector<TStoredRow>& rows);
    // The day's paper in the store, found again, or added when the store no longer has it.
    store::TDayPaper& StorePaper();
    using TRowReminders = std::array<std::unique_ptr<store::TReminder>, ReminderRows + 1>;
    // Merges the rows into the paper's reminders; returns what each row holds now.
    TRowReminders StoreReminders(const std::vector<TStoredRow>& rows, store::TDayPaper& paper);
    void PaintHeader(QPainter& painter);
    bool FormKeyDown(QKeyEvent* event);
    void PlaceImageButtons();
    void FocusNoteEditor();

    store::TDayPaperList& DayPapers;
    // The day's paper as the store held it when the window showed it or last saved it.
    std::unique_ptr<store::TDayPaper> Base;
    store::TLocalFormat LocalFormat;
    QString Folder;
    [[maybe_unused]] store::TCalSetting& Settings;  // handed over with the rest; the editor does not use it
    store::TDateTime FEditDate = 0;
    bool FNoteModified = false;
    bool Loading = false;
    TMessageSink Messages = ShowInputError;
    // Row objects of the reminder rows 1..11 (index 0 unused), owned by the window.
    std::array<std::unique_ptr<store::TReminder>, ReminderRows + 1> RowObjects;
    // The reminder each row stood for in the store at the last load or save; none: a new row.
    TRowReminders RowBase;

    QWidget* FPaintBox = nullptr;
    QFont HeaderFont;  // bold Arial, the font of the hidden button of the header
    QTabWidget* FPageControl = nullptr;
    QTableWidget* FNoteGrid = nullptr;
    std::array<QPointer<QLineEdit>, NoteLines> NoteEditors;  // the sheet's line editors
    TMyStringGrid* FReminderGrid = nullptr;
    QLabel* FImage1 = nullptr;
    QLabel* FImage2 = nullptr;
    bool Shown = false;
};

}  // namespace orvenna::notes
