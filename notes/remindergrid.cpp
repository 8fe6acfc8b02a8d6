#include "notes/remindergrid.h"

#include "store/localetext.h"

#include "desktop/guitool.h"
#include "notes/noteslog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>

namespace orvenna::notes {

void SetLineText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

namespace {

// The time column is narrower than its entries: the open list gets the width of its widest
// entry and the scroll bar, so no entry is cut short.
void WidenToEntries(QComboBox& list)
{
    QAbstractItemView* view = list.view();
    view->setTextElideMode(Qt::ElideNone);
    const int frame = 2 * view->frameWidth();
    view->setMinimumWidth(view->sizeHintForColumn(0) + view->verticalScrollBar()->sizeHint().width() +
                          frame);
}

}  // namespace

// The reminder grid's editors and cell painting: a pick list in column 0, a line editor with
// an ellipsis button in column 1, the header picture over row 0.
class TGridDelegate final : public QStyledItemDelegate {
public:
    explicit TGridDelegate(TMyStringGrid& grid) : QStyledItemDelegate(&grid), Grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        // A closed editor is hidden until it is deleted; what it still reports is not the cell's.
        const auto commit = [this](QWidget* editor) {
            if (editor->isVisible())
                emit const_cast<TGridDelegate*>(this)->commitData(editor);
        };
        switch (TMyStringGrid::GetEditStyle(index.column(), index.row())) {
        case TEditStyle::esPickList: {
            auto* list = new QComboBox(parent);
            list->setEditable(true);
            list->setFrame(false);
            QStringList items;
            Grid.EditListGetItems(index.column(), index.row(), items);
            list->addItems(items);
            list->setCurrentIndex(-1);
            WidenToEntries(*list);
            connect(list, &QComboBox::currentTextChanged, list, [commit, list] { commit(list); });
            Grid.FEditList = list;
            Grid.OpenEditor = list;
            Grid.OpenEditorIndex = index;
            return list;
        }
        case TEditStyle::esEllipsis: {
            auto* box = new QWidget(parent);
            box->setAutoFillBackground(true);
            auto* layout = new QHBoxLayout(box);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
            auto* edit = new QLineEdit(box);
            edit->setFrame(false);
            edit->setObjectName(QStringLiteral("CellEdit"));
            auto* button = new QToolButton(box);
            button->setText(QStringLiteral("..."));
            button->setObjectName(QStringLiteral("EllipsisButton"));
            button->setFocusPolicy(Qt::NoFocus);
            layout->addWidget(edit, 1);
            layout->addWidget(button);
            box->setFocusProxy(edit);
            connect(edit, &QLineEdit::textEdited, box, [commit, box] { commit(box); });
            connect(button, &QToolButton::clicked, &Grid, &TMyStringGrid::EditButtonClicked);
            Grid.OpenEditor = box;
            Grid.OpenEditorIndex = index;
            return box;
        }
        case TEditStyle::esSimple:
            break;
        }
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString text = index.data().toString();
        if (auto* list = qobject_cast<QComboBox*>(editor)) {
            if (list->currentText() != text)
                list->setEditText(text);
        } else if (auto* edit = editor->findChild<QLineEdit*>(QStringLiteral("CellEdit"))) {
            SetLineText(edit, text);
        } else {
            QStyledItemDelegate::setEditorData(editor, index);
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        if (auto* list = qobject_cast<QComboBox*>(editor))
            model->setData(index, list->currentText());
        else if (auto* edit = editor->findChild<QLineEdit*>(QStringLiteral("CellEdit")))
            model->setData(index, edit->text());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.row() != 0)
            return;
        const QRect r = option.rect;
        QString failure;
        if (!desktop::TGUITools::TileGridBack(Grid.ProgramFolder(),
                                              {r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                                              *painter, &failure))
            qCWarning(lcNotes) << failure;
    }

private:
    TMyStringGrid& Grid;
};

TMyStringGrid::TMyStringGrid(const QString& programFolder, QWidget* parent)
    : QTableWidget(parent), Folder(programFolder)
{
    setItemDelegate(new TGridDelegate(*this));
}

QString TMyStringGrid::Cell(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void TMyStringGrid::SetCell(int column, int row, const QString& text)
{
    if (QTableWidgetItem* cell = item(row, column))
        cell->setText(text);
    else
        setItem(row, column, new QTableWidgetItem(text));
}

TEditStyle TMyStringGrid::GetEditStyle(int column, int)
{
    if (column == 0)
        return TEditStyle::esPickList;
    if (column == 1)
        return TEditStyle::esEllipsis;
    return TEditStyle::esSimple;
}

QStringList TMyStringGrid::PickList(const store::TLocalFormat& format)
{
    QStringList items;
    if (format.ReminderTimeFormat.empty()) {
        for (const char* half : {"PM", "AM"}) {
            for (int hour = 1; hour <= 12; ++hour)
                items << QStringLiteral("%1 :00 %2").arg(hour).arg(QLatin1String(half));
        }
        return items;
    }
    for (int hour = 0; hour < 24; ++hour)
        items << QString::fromStdString(store::FormatReminderTime(format, hour / 24.0));
    return items;
}

void TMyStringGrid::EditListGetItems(int column, int, QStringList& items) const
{
    if (column == 0)
        items = PickList(TimeFormat);
}

void TMyStringGrid::CommitOpenEditor()
{
    // The editors hand over every keystroke; this catches the text of one that was filled
    // without the user typing.
    if (OpenEditor != nullptr && OpenEditorIndex.isValid())
        itemDelegate()->setModelData(OpenEditor, model(), OpenEditorIndex);
}

}  // namespace orvenna::notes
