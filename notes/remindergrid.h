#pragma once
// TMyStringGrid: the reminder grid. Row 0 is a header row without text, painted with the grid
// background picture; rows 1..11 hold a time in column 0 (typed, or picked from 24 entries)
// and a subject in column 1 (with an ellipsis button that opens the dialog).

#include "store/localformat.h"

#include <QComboBox>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>

class QLineEdit;

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
    // For column 0 the items become the pick list of the grid's time format; other columns
    // keep theirs.
    void EditListGetItems(int column, int row, QStringList& items) const;
    // The whole hours offered: with the designed times the 24 entries 1 :00 PM .. 12 :00 PM,
    // 1 :00 AM .. 12 :00 AM; with any other form the hours 0 .. 23 as that form shows them.
    static QStringList PickList(const store::TLocalFormat& format = {});
    // The form of the times in column 0 (store::FormatReminderTime); the designed one until set.
    void SetTimeFormat(const store::TLocalFormat& format) { TimeFormat = format; }

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
    store::TLocalFormat TimeFormat;
    QPointer<QComboBox> FEditList;
    QPointer<QWidget> OpenEditor;  // the last editor made, until it is deleted
    QPersistentModelIndex OpenEditorIndex;
};

// The editors write every change to their cell at once, so the grids always hold what the
// user sees; an editor is refreshed from its cell only when the cell says something else.
void SetLineText(QLineEdit* edit, const QString& text);

}  // namespace orvenna::notes
