#include "notes/notefrm.h"

#include "desktop/guiservices.h"
#include "desktop/guitool.h"
#include "desktop/paintbox.h"
#include "notes/noteslog.h"
#include "store/errors.h"
#include "store/localetext.h"
#include "store/papermerge.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>

#include <functional>
#include <optional>
#include <utility>

namespace orvenna::notes {

namespace {

constexpr int ClientWidth = 313;
constexpr int ClientHeight = 378;
constexpr int HeaderHeight = 27;
const QColor NoteInk(2, 63, 168);

// The note sheet: one line editor per row and a rule under every line.
class TRuledDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        auto* edit = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
        if (edit != nullptr) {
            edit->setFrame(false);
            if (EditorMade)
                EditorMade(edit, index.row());
            connect(edit, &QLineEdit::textEdited, this, [this, edit] {
                emit const_cast<TRuledDelegate*>(this)->commitData(edit);
            });
        }
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* edit = qobject_cast<QLineEdit*>(editor))
            SetLineText(edit, index.data().toString());
    }
    // The editor covers its line but not the rule under it.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override
    {
        editor->setGeometry(option.rect.adjusted(0, 0, 0, -1));
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(0xC0, 0xC8, 0xD8));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }

    // Told of every line editor made, with its row.
    std::function<void(QLineEdit*, int)> EditorMade;
};

}  // namespace

// ---- TNoteForm ------------------------------------------------------------------------------

TNoteForm::TNoteForm(store::TDayPaperList& dayPapers, store::TDayPaper& dayPaper,
                     const store::TLocalFormat& localFormat, const QString& programFolder,
                     store::TCalSetting& settings, TSaveNotes saveNotes, QWidget* parent)
    : QDialog(parent),
      DayPapers(dayPapers),
      SaveNotes(std::move(saveNotes)),
      Base(std::make_unique<store::TDayPaper>()),
      LocalFormat(localFormat),
      Folder(programFolder),
      Settings(settings),
      FEditDate(store::DateOf(dayPaper.Day))
{
    Base->CopyFrom(dayPaper);
    FormCreate();
}

TNoteForm::~TNoteForm()
{
    // The grids' open editors hand in their text while the children are torn down; by then
    // this form is gone, so its handlers must not hear of it.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void TNoteForm::FormCreate()
{
    setWindowTitle(tr("Note and Reminder"));
    setFont(desktop::DialogFont());
    setFixedSize(ClientWidth, ClientHeight);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    HeaderFont = QFont(QStringLiteral("Arial"));
    HeaderFont.setPixelSize(12);
    HeaderFont.setBold(true);
    FPaintBox = new desktop::TPaintBox(this, [this](QPainter& p) { PaintHeader(p); });
    FPaintBox->setGeometry(0, 0, ClientWidth, HeaderHeight);

    auto* panel1 = new QWidget(this);
    panel1->setGeometry(0, HeaderHeight, ClientWidth, ClientHeight - HeaderHeight);
    panel1->setBackgroundRole(QPalette::Highlight);
    panel1->setAutoFillBackground(true);
    FPageControl = new QTabWidget(panel1);
    FPageControl->setGeometry(panel1->rect());
    FPageControl->setTabPosition(QTabWidget::South);
    // The tab labels keep the text colour of a normal page control over the coloured panel.
    QPalette tabs = FPageControl->palette();
    tabs.setColor(QPalette::WindowText, palette().color(QPalette::Text));
    tabs.setColor(QPalette::ButtonText, palette().color(QPalette::Text));
    FPageControl->setPalette(tabs);
    FPageControl->tabBar()->setForegroundRole(QPalette::WindowText);
    FPageControl->setIconSize(QSize(16, 16));

    CreateNoteGrid();
    CreateReminderGrid();
    CreateImageButtons();
    qApp->installEventFilter(this);
}

void TNoteForm::CreateNoteGrid()
{
    FNoteGrid = new QTableWidget(NoteLines, 1);
    FNoteGrid->setObjectName(QStringLiteral("Stringgrid1"));
    FNoteGrid->horizontalHeader()->hide();
    FNoteGrid->verticalHeader()->hide();
    FNoteGrid->setShowGrid(false);
    FNoteGrid->setFrameShape(QFrame::NoFrame);
    FNoteGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FNoteGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every line has its editor open all the time, so the sheet is written like paper; the
    // current row follows the line that has the focus.
    FNoteGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FNoteGrid->setSelectionMode(QAbstractItemView::NoSelection);
    auto* delegate = new TRuledDelegate(FNoteGrid);
    delegate->EditorMade = [this](QLineEdit* edit, int row) {
        NoteEditors[row] = edit;
        edit->installEventFilter(this);
    };
    FNoteGrid->setItemDelegate(delegate);
    FNoteGrid->installEventFilter(this);
    FNoteGrid->verticalHeader()->setDefaultSectionSize(26);
    QFont ink(QStringLiteral("Tahoma"));
    ink.setPixelSize(13);
    ink.setItalic(true);
    FNoteGrid->setFont(ink);
    QPalette sheet = FNoteGrid->palette();
    sheet.setColor(QPalette::Text, NoteInk);
    sheet.setColor(QPalette::HighlightedText, NoteInk);
    sheet.setColor(QPalette::Highlight, QColor(0xE8, 0xF0, 0xFF));
    FNoteGrid->setPalette(sheet);
    for (int row = 0; row < NoteLines; ++row) {
        FNoteGrid->setItem(row, 0, new QTableWidgetItem);
        FNoteGrid->openPersistentEditor(FNoteGrid->item(row, 0));
    }
    connect(FNoteGrid, &QTableWidget::itemChanged, this, [this] {
        if (!Loading)
            FNoteModified = true;
    });
    FPageControl->addTab(FNoteGrid, desktop::NotePageIcon(NoteInk), tr("&Note"));
    // The lines were made before the sheet had a window; moving it into the page left them in
    // the focus chain last line first. Whatever hands the focus on from the sheet (activating
    // the window, Tab, a control hidden) must meet the first line first.
    QWidget::setTabOrder(FNoteGrid, NoteEditors[0]);
    for (int row = 1; row < NoteLines; ++row)
        QWidget::setTabOrder(NoteEditors[row - 1], NoteEditors[row]);
    // The sheet itself never holds the focus: it goes on to the line of the current row at
    // once, so there is no moment in which keys reach the sheet instead of a line.
    FNoteGrid->setFocusProxy(NoteEditors[0]);
    connect(FNoteGrid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (QLineEdit* line = NoteLine(row))
            FNoteGrid->setFocusProxy(line);
    });
}

void TNoteForm::CreateReminderGrid()
{
    FReminderGrid = new TMyStringGrid(Folder, this);
    FReminderGrid->setObjectName(QStringLiteral("ReminderGrid"));
    FReminderGrid->SetTimeFormat(LocalFormat);
    // The lambda holds the scroll bar only: it can fire while the form is being torn down.
    QScrollBar* across = FReminderGrid->horizontalScrollBar();
    connect(across, &QScrollBar::valueChanged, across, [across] { across->setValue(0); });
    FReminderGrid->setColumnCount(2);
    FReminderGrid->setRowCount(ReminderRows + 1);
    FReminderGrid->horizontalHeader()->hide();
    FReminderGrid->verticalHeader()->hide();
    FReminderGrid->setFrameShape(QFrame::NoFrame);
    FReminderGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FReminderGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FReminderGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    FReminderGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FReminderGrid->verticalHeader()->setDefaultSectionSize(24);
    FReminderGrid->setColumnWidth(0, 70);
    // The subject column takes the rest of the page, whatever its width when it is shown.
    FReminderGrid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row <= ReminderRows; ++row) {
        for (int column = 0; column < 2; ++column) {
            auto* cell = new QTableWidgetItem;
            // Row 0 is the fixed header row: no text, no editor, no selection.
            if (row == 0)
                cell->setFlags(Qt::ItemIsEnabled);
            FReminderGrid->setItem(row, column, cell);
        }
    }
    connect(FReminderGrid, &TMyStringGrid::EditButtonClicked, this, &TNoteForm::EditReminder);
    connect(FReminderGrid, &QTableWidget::itemChanged, this, [this] {
        if (!Loading)
            FRemindersModified = true;
    });
    FPageControl->addTab(FReminderGrid, desktop::ClockIcon(), tr("Reminder"));
}

void TNoteForm::CreateImageButtons()
{
    FImage1 = new QLabel(this);
    FImage1->setObjectName(QStringLiteral("Image1"));
    FImage1->setPixmap(desktop::RoundButtonPicture(23, true));
    FImage1->resize(23, 24);
    FImage1->setToolTip(tr("press CTRL+ Enter to save "));
    FImage2 = new QLabel(this);
    FImage2->setObjectName(QStringLiteral("Image2"));
    FImage2->setPixmap(desktop::RoundButtonPicture(26, false));
    FImage2->resize(25, 25);
    for (QLabel* button : {FImage1, FImage2}) {
        button->setCursor(Qt::PointingHandCursor);
        button->installEventFilter(this);
        button->raise();
    }
    PlaceImageButtons();
}

void TNoteForm::PlaceImageButtons()
{
    // In the tab row at the lower right, right of the two tabs.
    const int left3 = width() - 2 * FImage1->width() - 30;
    const int top3 = height() - FImage1->height();
    FImage1->move(left3, top3);
    FImage2->move(width() - FImage1->width() - 20, top3);
}

void TNoteForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FNoteGrid->setColumnWidth(0, FNoteGrid->width() - 5);
    PlaceImageButtons();
}

void TNoteForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FNoteGrid->setColumnWidth(0, FNoteGrid->viewport()->width() - 5);
    if (Shown)
        return;
    Shown = true;
    if (QScreen* where = screen(); where != nullptr && parentWidget() == nullptr)
        move(where->availableGeometry().center() - rect().center());
    FormShow();
}

void TNoteForm::FormShow()
{
    if (FPageControl->currentIndex() == 0)
        FillSheet();
    LoadReminders();
}

void TNoteForm::setVisible(bool visible)
{
    const bool first = visible && !Shown;
    QDialog::setVisible(visible);
    if (!first || FPageControl->currentIndex() != 0)
        return;
    // The first line becomes the window's focus before the window manager activates the
    // window, whenever that comes: the activation gives the focus to it, caret where the text
    // ends. Not from the show event: a dialog being shown hands its focus widget a focus as
    // if by Tab, which would select the line's text for the first key to replace.
    FNoteGrid->setCurrentCell(0, 0);
    FocusNoteEditor();
}

void TNoteForm::FillSheet()
{
    Loading = true;
    for (int row = 0; row < NoteLines; ++row) {
        const auto i = static_cast<std::size_t>(row);
        FNoteGrid->item(row, 0)->setText(i < Base->Note.size() ? QString::fromStdString(Base->Note[i])
                                                               : QString());
    }
    Loading = false;
}

void TNoteForm::LoadReminders()
{
    const bool loading = std::exchange(Loading, true);
    const store::TReminderList& list = Base->ReminderList;
    for (int row = 1; row <= ReminderRows; ++row) {
        RowObjects[row].reset();
        RowBase[row].reset();
        if (row > list.ReminderCount()) {
            FReminderGrid->SetCell(0, row, QString());
            FReminderGrid->SetCell(1, row, QString());
            continue;
        }
        for (auto* slot : {&RowObjects[row], &RowBase[row]}) {
            *slot = std::make_unique<store::TReminder>();
            (*slot)->CopyFrom(list.GetReminder(row - 1));
        }
        FReminderGrid->SetCell(0, row, QString::fromStdString(store::FormatReminderTime(
                                           LocalFormat, RowBase[row]->When)));
        FReminderGrid->SetCell(1, row, QString::fromStdString(RowBase[row]->Subject));
    }
    Loading = loading;
}

const store::TReminder* TNoteForm::RowObject(int row) const
{
    return row >= 1 && row <= ReminderRows ? RowObjects[row].get() : nullptr;
}

QString TNoteForm::HeaderText() const
{
    const int weekday = store::DayOfWeek(FEditDate);  // 1 = Sunday
    const std::string name = weekday >= 1 ? LocalFormat.LongDayNames[weekday - 1] : std::string();
    return QString::fromStdString(store::FormatShortDate(LocalFormat, FEditDate) + ' ' + name);
}

void TNoteForm::PaintHeader(QPainter& painter)
{
    // A missing skin leaves a plain strip; the date is still written.
    QString failure;
    if (!desktop::TGUITools::DrawHeaderBar(Folder, FPaintBox->width(), painter, &failure))
        qCWarning(lcNotes) << failure;
    painter.setPen(palette().color(QPalette::WindowText));
    desktop::TGUITools::DrawSmoothText(painter, HeaderText(), HeaderFont, 5, 3);
}

void TNoteForm::EditReminder()
{
    const int r = FReminderGrid->currentRow();
    if (r < 1 || r > ReminderRows)
        return;
    FReminderGrid->CommitOpenEditor();
    const QString time = FReminderGrid->Cell(0, r);
    const QString subject = FReminderGrid->Cell(1, r);

    std::optional<store::TDateTime> when;
    if (!time.trimmed().isEmpty()) {
        try {
            when = store::DateOf(Base->Day) + store::ReadTime(LocalFormat, time.toStdString());
        } catch (const store::EConvertError& error) {
            desktop::ShowMessage(this, desktop::TMessageKind::Warning,
                                 QString::fromStdString(error.Text()));
            return;
        }
    }

    TReminderForm dialog(LocalFormat, this);
    if (store::TReminder* row = RowObjects[r].get()) {
        row->Subject = subject.toStdString();
        if (when)
            row->When = *when;
        auto copy = std::make_unique<store::TReminder>();
        copy->CopyFrom(*row);
        dialog.SetReminder(std::move(copy));
    }
    if (when) {
        // The time as the dialog's lists show it, whatever form it was typed in.
        dialog.ShowTime(*when);
    }
    if (!subject.isEmpty())
        dialog.SubjectEdit()->setText(subject);
    dialog.SetEditDate(Base->Day);
    if (dialog.exec() != QDialog::Accepted)
        return;

    const store::TReminder& edited = *dialog.Reminder();
    FReminderGrid->SetCell(0, r, QString::fromStdString(store::FormatReminderTime(LocalFormat, edited.When)));
    FReminderGrid->SetCell(1, r, QString::fromStdString(edited.Subject));
    auto copy = std::make_unique<store::TReminder>();
    copy->CopyFrom(edited);
    RowObjects[r] = std::move(copy);
}

bool TNoteForm::ReadReminderRows(std::vector<TEditedRow>& rows)
{
    for (int r = 1; r <= ReminderRows; ++r) {
        const QString time = FReminderGrid->Cell(0, r);
        if (time.trimmed().isEmpty())
            continue;
        try {
            rows.push_back({r, store::ReadTimeOnDay(LocalFormat, Base->Day, time.toStdString()),
                            time, FReminderGrid->Cell(1, r)});
        } catch (const store::EConvertError& error) {
            FPageControl->setCurrentIndex(1);
            FReminderGrid->setCurrentCell(r, 0);
            desktop::ShowMessage(this, desktop::TMessageKind::Warning,
                                 QString::fromStdString(error.Text()));
            return false;
        }
    }
    return true;
}

bool TNoteForm::SaveNote()
{
    FReminderGrid->CommitOpenEditor();
    std::vector<TEditedRow> rows;
    if (!ReadReminderRows(rows))
        return false;
    store::TDayPaper& paper = FindOrAddPaper(DayPapers, Base->Day);
    const bool changedElsewhere = !store::SamePaper(*Base, paper);
    store::TDayPaper before;
    before.CopyFrom(paper);
    if (FNoteModified) {
        std::vector<std::string> sheet;
        for (int row = 0; row < NoteLines; ++row)
            sheet.push_back(FNoteGrid->item(row, 0)->text().toStdString());
        paper.Note = MergeSheet(Base->Note, std::move(sheet), paper.Note);
    }
    TRowReminders rowsNow = MergeReminderRows(rows, RowObjects, RowBase, LocalFormat, paper);
    store::TDayPaper meant;
    meant.CopyFrom(paper);
    // A failed save leaves the store as it was; the grids keep what the user typed.
    if (!SaveNotes()) {
        paper.CopyFrom(before);
        return false;
    }
    // The save may have merged a file written elsewhere into new papers: the day is found again.
    const store::TDayPaper& saved = FindOrAddPaper(DayPapers, Base->Day);
    Base->CopyFrom(saved);
    RowBase = std::move(rowsNow);
    FNoteModified = false;
    FRemindersModified = false;
    if (changedElsewhere || !store::SamePaper(saved, meant)) {
        // The sheet and the rows show what the day holds now, so that a further save merges
        // from there.
        FillSheet();
        LoadReminders();
        FNoteModified = false;
    }
    return true;
}

void TNoteForm::Image1Click()
{
    if (SaveNote())
        close();
}

void TNoteForm::Image2Click()
{
    close();
}

void TNoteForm::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        emit Closed();
}

void TNoteForm::keyPressEvent(QKeyEvent* event)
{
    // Escape does not throw away what was typed; the cross button closes without saving.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TNoteForm::FormKeyDown(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) {
        Image1Click();
        return true;
    }
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || (focus != FNoteGrid && !FNoteGrid->isAncestorOf(focus)))
        return false;
    const int row = FNoteGrid->currentRow();
    if (row < NoteLines - 1) {
        FNoteGrid->setCurrentCell(row + 1, 0);
        FocusNoteEditor();
    }
    return true;
}

void TNoteForm::FocusNoteEditor()
{
    // Focus given to the sheet goes on to the line of the current row.
    const int row = FNoteGrid->currentRow();
    QLineEdit* edit = row >= 0 && row < NoteLines ? NoteEditors[row].data() : nullptr;
    if (edit != nullptr && !edit->hasFocus())
        edit->setFocus();
}

QLineEdit* TNoteForm::NoteLine(int row) const
{
    return row >= 0 && row < NoteLines ? NoteEditors[row].data() : nullptr;
}

bool TNoteForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int row = 0; row < NoteLines; ++row) {
            if (watched == NoteEditors[row] && FNoteGrid->currentRow() != row)
                FNoteGrid->setCurrentCell(row, 0);
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Keys of this window reach the window first, whichever control has the focus.
        if (widget != nullptr && widget->window() == this &&
            FormKeyDown(static_cast<QKeyEvent*>(event)))
            return true;
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == FImage1) {
            Image1Click();
            return true;
        }
        if (watched == FImage2) {
            Image2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace orvenna::notes
