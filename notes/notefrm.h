#pragma once
// TNoteForm: the window "Note and Reminder" in which the user writes the note of one day and
// edits the day's reminders. A header bar shows the date and the weekday; the page "&Note" is
// a ruled sheet of 12 lines, the page "Reminder" a grid of 11 reminders (time, subject) whose
// rows open in the reminder dialog. Edits live in the two grids until SaveNote copies them
// into the day paper and has the store saved.
//
// The opener hands over everything: the store, the day's paper (already in the store), the
// locale record (copied), the program folder (for the skin pictures), the settings record
// (kept, unused) and the saver of the store. The window emits Closed whenever it closes; it
// owns none of the objects it was handed.
//
// The window keeps a copy of the paper as it opened it, never a reference into the store: the
// store may reload its file or the browser may change the day while the window is open. Saving
// finds the day's paper again and merges the user's changes into what it holds then
// (store/papermerge.h), so changes made elsewhere meanwhile are kept.

#include "notes/notemerge.h"
#include "notes/notesaver.h"
#include "notes/remindergrid.h"
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

class TNoteForm final : public QDialog {
    Q_OBJECT

public:
    static constexpr int NoteLines = EditorNoteLines;
    static constexpr int ReminderRows = EditorReminderRows;

    // All references must outlive the window; dayPaper belongs to dayPapers.
    TNoteForm(store::TDayPaperList& dayPapers, store::TDayPaper& dayPaper,
              const store::TLocalFormat& localFormat, const QString& programFolder,
              store::TCalSetting& settings, TSaveNotes saveNotes, QWidget* parent = nullptr);
    ~TNoteForm() override;
    // The first showing puts the focus on the first line of the sheet.
    void setVisible(bool visible) override;

    store::TDateTime EditDate() const { return FEditDate; }
    bool NoteModified() const { return FNoteModified; }
    // Something was typed or chosen since the window showed the day or last saved it.
    bool HasUnsavedChanges() const { return FNoteModified || FRemindersModified; }

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
    // Merges the grids into the day's paper as the store holds it now and has the store saved.
    // Every reminder row is read before the paper changes: a time that cannot be read is
    // refused with its message and the paper and the file stay as they were; so do they when
    // the store cannot be saved (the saver reports why). Note lines beyond the sheet's 12 and reminders beyond the
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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreateNoteGrid();
    void CreateReminderGrid();
    void CreateImageButtons();
    void FormShow();
    void FillSheet();
    void LoadReminders();
    // Reads every filled reminder row; refuses the first unreadable time cell.
    bool ReadReminderRows(std::vector<TEditedRow>& rows);
    void PaintHeader(QPainter& painter);
    bool FormKeyDown(QKeyEvent* event);
    void PlaceImageButtons();
    void FocusNoteEditor();

    store::TDayPaperList& DayPapers;
    TSaveNotes SaveNotes;
    // The day's paper as the store held it when the window showed it or last saved it.
    std::unique_ptr<store::TDayPaper> Base;
    store::TLocalFormat LocalFormat;
    QString Folder;
    [[maybe_unused]] store::TCalSetting& Settings;  // handed over with the rest; the editor does not use it
    store::TDateTime FEditDate = 0;
    bool FNoteModified = false;
    bool FRemindersModified = false;
    bool Loading = false;
    // Row objects of the reminder rows 1..11 (index 0 unused), owned by the window.
    TRowReminders RowObjects;
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
