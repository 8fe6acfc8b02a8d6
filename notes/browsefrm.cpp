#include "notes/browsefrm.h"

#include "desktop/guiservices.h"
#include "notes/aboutfrm.h"
#include "store/daypaperlist.h"
#include "store/daypapers.h"
#include "store/errors.h"
#include "store/localetext.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

namespace orvenna::notes {

namespace {

constexpr int YearsAround = 5;  // the year box lists the browsed year and five on each side
constexpr int PromptMargin = 6;  // the line editor's own margins around the search prompt
const QColor CurrentRowColour(250, 252, 251);

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The current row of the note list drawn over in a near-white band, its text again on top.
class TCurrentRowDelegate final : public QStyledItemDelegate {
public:
    explicit TCurrentRowDelegate(QTableWidget& grid) : QStyledItemDelegate(&grid), Grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.row() != Grid.currentRow())
            return;
        painter->save();
        painter->fillRect(option.rect, CurrentRowColour);
        painter->setPen(Grid.palette().color(QPalette::Text));
        painter->setFont(Grid.font());
        painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          index.data().toString());
        // The band alone is hardly to be told from the white rows: lines above and below
        // show where the current row is.
        painter->setPen(Grid.palette().color(QPalette::Highlight));
        painter->drawLine(option.rect.topLeft(), option.rect.topRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }

private:
    QTableWidget& Grid;
};

QTableWidget* MakeGrid(QWidget* parent, const QList<int>& widths)
{
    auto* grid = new QTableWidget(1, static_cast<int>(widths.size()), parent);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    for (int column = 0; column < widths.size(); ++column)
        grid->setColumnWidth(column, widths[column]);
    return grid;
}

}  // namespace

TBrowseForm::TBrowseForm(store::TDayPaperList& dayPapers, store::TLocalFormat localFormat,
                         store::TCalSetting& settings, int browseYear, int browseMonth,
                         TSaveNotes saveNotes, QWidget* parent)
    : QMainWindow(parent),
      BrowseYear(browseYear),
      DayPapers(dayPapers),
      LocalFormat(std::move(localFormat)),
      FSettings(settings),
      SaveNotes(std::move(saveNotes)),
      StartMonth(std::clamp(browseMonth, 1, 12))
{
    setWindowTitle(tr("Browse"));
    setWindowIcon(QIcon(desktop::ProgramPicture(32)));
    resize(696, 480);
    CreateActions();
    CreateMenu();
    CreateToolBar();
    CreatePages();
    Connect();
    FormShow();
}

TBrowseForm::~TBrowseForm() = default;

// ---- building -------------------------------------------------------------------------------

void TBrowseForm::CreateActions()
{
    Action1 = new QAction(desktop::CopyIcon(), tr("&Copy"), this);
    Action1->setShortcut(QKeySequence::Copy);
    Action2 = new QAction(desktop::DeleteIcon(), tr("&Delete"), this);
    Action2->setShortcut(QKeySequence::Delete);
    Action2->setEnabled(false);
    Action3 = new QAction(tr("&Search"), this);
    Action3->setVisible(false);
    Export2 = new QAction(tr("&Export..."), this);
    Exit1 = new QAction(tr("&Close"), this);
    About1 = new QAction(tr("&About"), this);
}

void TBrowseForm::CreateMenu()
{
    File1 = menuBar()->addMenu(tr("&File"));
    File1->addAction(Export2);
    FileSeparator = File1->addSeparator();
    File1->addAction(Exit1);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(Action1);
    edit->addAction(Action3);
    edit->addAction(Action2);
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(About1);
}

void TBrowseForm::InsertFileCommand(QAction* action) { File1->insertAction(FileSeparator, action); }

void TBrowseForm::CreateToolBar()
{
    ToolBar1 = addToolBar(tr("Tools"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->toggleViewAction()->setVisible(false);
    ToolBar1->setFixedHeight(29);
    ToolBar1->setIconSize(QSize(16, 16));

    auto* panel3 = new QLabel(tr("Year"), ToolBar1);
    // As designed, or as wide as a translated caption needs ("Année").
    panel3->setFixedWidth(std::max(33, panel3->sizeHint().width() + 2));
    panel3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ToolBar1->addWidget(panel3);
    YearCombo = new QComboBox(ToolBar1);
    YearCombo->setEditable(true);
    YearCombo->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is the year: no completion turns "2" into "2000" on the way.
    YearCombo->setCompleter(nullptr);
    YearCombo->setFixedWidth(145);
    ToolBar1->addWidget(YearCombo);
    ToolBar1->addSeparator();
    ToolBar1->addAction(Action1);
    ToolBar1->addAction(Action2);
    ToolBar1->addSeparator();
    SearchText = new QComboBox(ToolBar1);
    SearchText->setEditable(true);
    SearchText->setInsertPolicy(QComboBox::NoInsert);
    // The search is case-sensitive: a completion must not change the case of what is typed.
    SearchText->setCompleter(nullptr);
    const QString prompt = tr("<type keyword here>");
    // At least as wide as designed, and wide enough that the prompt shows whole in this font.
    QStyleOptionComboBox box;
    box.initFrom(SearchText);
    box.editable = true;
    const QSize needed = SearchText->style()->sizeFromContents(
        QStyle::CT_ComboBox, &box,
        QSize(SearchText->fontMetrics().horizontalAdvance(prompt) + PromptMargin, 0), SearchText);
    SearchText->setFixedWidth(std::max(145, needed.width()));
    SearchText->setEditText(prompt);
    SearchText->lineEdit()->setCursorPosition(0);
    ToolBar1->addWidget(SearchText);
    Button1 = new QPushButton(tr("&Search"), ToolBar1);
    ToolBar1->addWidget(Button1);
}

void TBrowseForm::CreatePages()
{
    auto* splitter1 = new QSplitter(Qt::Horizontal, this);
    MonthTv = new QTreeWidget(splitter1);
    MonthTv->setHeaderHidden(true);
    MonthTv->setRootIsDecorated(false);
    MonthTv->setIndentation(35);
    MonthTv->setIconSize(QSize(32, 32));
    MonthTv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selected month stays marked when the focus goes to the list.
    QPalette treePalette = MonthTv->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        treePalette.setColor(QPalette::Inactive, role, treePalette.color(QPalette::Active, role));
    MonthTv->setPalette(treePalette);

    PageControl1 = new QTabWidget(splitter1);
    NoteGrid = MakeGrid(PageControl1, {85, 427});
    NoteGrid->setItemDelegate(new TCurrentRowDelegate(*NoteGrid));
    ReminderGrid = MakeGrid(PageControl1, {64, 128, 283});
    PageControl1->addTab(NoteGrid, tr("Note"));
    PageControl1->addTab(ReminderGrid, desktop::ReminderIcon(), tr("Reminder"));
    NoteGrid->viewport()->installEventFilter(this);
    ReminderGrid->viewport()->installEventFilter(this);

    splitter1->setStretchFactor(0, 0);
    splitter1->setStretchFactor(1, 1);
    splitter1->setSizes({185, 696 - 185});
    setCentralWidget(splitter1);
}

void TBrowseForm::Connect()
{
    connect(Action1, &QAction::triggered, this, &TBrowseForm::Action1Execute);
    connect(Action2, &QAction::triggered, this, &TBrowseForm::Action2Execute);
    connect(Export2, &QAction::triggered, this, &TBrowseForm::Export2Click);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(About1, &QAction::triggered, this, &TBrowseForm::About1Click);
    connect(Button1, &QPushButton::clicked, this, &TBrowseForm::Button1Click);
    // Enter in the search box presses "&Search", and like it does nothing while it is disabled.
    connect(SearchText->lineEdit(), &QLineEdit::returnPressed, Button1, &QPushButton::click);
    connect(YearCombo, &QComboBox::currentTextChanged, this, &TBrowseForm::YearComboChange);
    connect(MonthTv, &QTreeWidget::currentItemChanged, this, &TBrowseForm::MonthTvChange);
    connect(MonthTv, &QTreeWidget::itemClicked, this, &TBrowseForm::MonthTvChange);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TBrowseForm::PageControl1Change);
    connect(NoteGrid, &QTableWidget::currentCellChanged, this,
            [this](int row) { NoteGridSelectCell(row + 1); });
}

// The twelve months, the eleven years around the browsed one, and the browsed month.
void TBrowseForm::FormShow()
{
    {
        const QSignalBlocker blockTree(MonthTv);
        MonthTv->clear();
        for (int m = 1; m <= 12; ++m) {
            auto* node = new QTreeWidgetItem(MonthTv, {Text(LocalFormat.LongMonthNames[m - 1])});
            node->setIcon(0, desktop::MonthIcon(m));
        }
    }
    {
        const QSignalBlocker blockYear(YearCombo);
        YearCombo->clear();
        for (int year = BrowseYear - YearsAround; year <= BrowseYear + YearsAround; ++year)
            YearCombo->addItem(QString::number(year));
        YearCombo->setCurrentIndex(YearsAround);
    }
    SelectMonth(StartMonth);
}

// ---- lists ----------------------------------------------------------------------------------

int TBrowseForm::BrowseMonth() const
{
    const int index = MonthTv->indexOfTopLevelItem(MonthTv->currentItem());
    return index < 0 ? StartMonth : index + 1;
}

bool TBrowseForm::ReminderPageActive() const { return PageControl1->currentWidget() == ReminderGrid; }

QTableWidget& TBrowseForm::ActiveGrid() const
{
    return ReminderPageActive() ? *ReminderGrid : *NoteGrid;
}

const TGridRows& TBrowseForm::ActiveRows() const
{
    return ReminderPageActive() ? FReminderRows : FNoteRows;
}

void TBrowseForm::FillNotes(int month)
{
    FNoteRows = BuildNoteRows(DayPapers, BrowseYear, month, LocalFormat);
    if (Subscribed)
        AppendSubscribedRows(FNoteRows, BuildNoteRows(*Subscribed, BrowseYear, month, LocalFormat));
    ShowRows(*NoteGrid, FNoteRows);
}

void TBrowseForm::FillReminders(int month)
{
    FReminderRows = BuildReminderRows(DayPapers, BrowseYear, month, LocalFormat);
    if (Subscribed)
        AppendSubscribedRows(FReminderRows,
                             BuildReminderRows(*Subscribed, BrowseYear, month, LocalFormat));
    ShowRows(*ReminderGrid, FReminderRows);
}

// Row 0 of the rows is the grid's header; the grid's row i shows rows[i + 1].
void TBrowseForm::ShowRows(QTableWidget& grid, const TGridRows& rows)
{
    QStringList header;
    for (const std::string& cell : rows.front().Cells)
        header << Text(cell);
    grid.setHorizontalHeaderLabels(header);
    grid.clearContents();
    grid.setRowCount(static_cast<int>(rows.size()) - 1);
    for (int r = 1; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < static_cast<int>(rows[r].Cells.size()); ++c)
            grid.setItem(r - 1, c, new QTableWidgetItem(Text(rows[r].Cells[c])));
    // Dates longer than the first column's width (long month names, four-digit years) widen
    // it rather than being cut.
    const QAbstractItemView& view = grid;  // the column's size hint is public there
    grid.setColumnWidth(0, std::max(grid.columnWidth(0), view.sizeHintForColumn(0)));
    FormResize();
    grid.setCurrentCell(-1, -1);
    grid.setCurrentCell(0, 0);
}

void TBrowseForm::Refill()
{
    if (ReminderPageActive())
        FillReminders(BrowseMonth());
    else
        FillNotes(BrowseMonth());
}

void TBrowseForm::MonthTvChange()
{
    if (MonthTv->currentItem() != nullptr)
        Refill();
}

void TBrowseForm::SelectMonth(int month)
{
    MonthTv->setCurrentItem(MonthTv->topLevelItem(month - 1));
}

void TBrowseForm::SetSubscribed(store::TDayPaperList* subscribed)
{
    Subscribed = subscribed;
    NotesChanged();
}

void TBrowseForm::NotesChanged()
{
    QTableWidget& grid = ActiveGrid();
    const int row = grid.currentRow();
    Refill();
    if (row > 0 && row < grid.rowCount())
        grid.setCurrentCell(row, 0);
}

// ---- year box and pages ---------------------------------------------------------------------

bool TBrowseForm::ReadYearText(int& year)
{
    try {
        year = store::ReadInteger(YearCombo->currentText().toStdString());
        return true;
    } catch (const store::EConvertError& error) {
        ShowError(Text(error.Text()));
        return false;
    }
}

void TBrowseForm::YearComboChange()
{
    int year = 0;
    if (!ReadYearText(year))
        return;
    BrowseYear = year;
    Refill();
}

// A year box that cannot be read keeps the browsed year, but the page now shown is still
// filled and its commands set, so that it never shows another month's list.
void TBrowseForm::PageControl1Change()
{
    int year = 0;
    if (ReadYearText(year))
        BrowseYear = year;
    Refill();
    if (ReminderPageActive()) {
        Action2->setEnabled(false);
        Button1->setEnabled(false);
    } else {
        Button1->setEnabled(true);
    }
}

void TBrowseForm::SelectYearText(int year)
{
    const QSignalBlocker blockYear(YearCombo);
    YearCombo->setCurrentIndex(YearCombo->findText(QString::number(year)));
    if (YearCombo->currentIndex() < 0)
        YearCombo->setEditText(QString());
}

// ---- note list commands ---------------------------------------------------------------------

void TBrowseForm::NoteGridSelectCell(int row)
{
    // Lines of the subscribed calendars belong to no paper of the user's.
    const bool lineRow = row > 0 && row < static_cast<int>(FNoteRows.size()) &&
                         !FNoteRows[row].Cells[1].empty() && FNoteRows[row].Paper != nullptr;
    Action2->setEnabled(lineRow);
    NoteGrid->viewport()->update();
}

void TBrowseForm::Action2Execute()
{
    if (!ReminderPageActive())
        DeleteNoteLine();
}

void TBrowseForm::DeleteNoteLine()
{
    const int row = NoteGrid->currentRow() + 1;
    if (row <= 0 || row >= static_cast<int>(FNoteRows.size()) || FNoteRows[row].Cells[1].empty())
        return;
    store::TDayPaper* paper = FNoteRows[row].Paper;
    bool held = false;
    for (int i = 0; i < DayPapers.Count() && !held; ++i)
        held = &DayPapers.GetDayPaper(i) == paper;
    const int line = held ? NoteLineIndex(FNoteRows, row) : -1;
    if (line < 0) {
        // The note changed since the list was built: show it as it is now, delete nothing.
        NotesChanged();
        return;
    }
    paper->Note.erase(paper->Note.begin() + line);
    FNoteRows.erase(FNoteRows.begin() + row);
    // The row that moved up into the deleted one's place becomes the current row.
    NoteGrid->removeRow(row - 1);
    NoteGrid->setCurrentCell(std::min(row - 1, NoteGrid->rowCount() - 1), 0);
    NoteGridSelectCell(NoteGrid->currentRow() + 1);
    // The saver reports a failure; the line stays deleted in this run either way.
    SaveNotes();
}

void TBrowseForm::Button1Click() { SearchNotes(SearchText->currentText()); }

void TBrowseForm::SearchNotes(const QString& text)
{
    if (!text.isEmpty() && SearchText->findText(text) < 0) {
        const QSignalBlocker blockSearch(SearchText);
        SearchText->insertItem(0, text);
        SearchText->setEditText(text);
    }
    store::TDayPaper* paper = DayPapers.FindNextByText(text.toStdString());
    if (paper == nullptr)
        return;
    const auto day = store::DecodeDate(paper->Day);
    if (!day)
        return;
    BrowseYear = day->Year;
    SelectYearText(BrowseYear);
    {
        const QSignalBlocker blockTree(MonthTv);
        SelectMonth(day->Month);
    }
    FillNotes(day->Month);
    const QString date = Text(store::FormatShortDate(LocalFormat, paper->Day));
    for (int r = 1; r < static_cast<int>(FNoteRows.size()); ++r) {
        if (Text(FNoteRows[r].Cells[0]).compare(date, Qt::CaseInsensitive) == 0) {
            NoteGrid->setCurrentCell(r - 1, 0);
            break;
        }
    }
}

// ---- clipboard, export, about ---------------------------------------------------------------

void TBrowseForm::Action1Execute()
{
    const int row = ActiveGrid().currentRow() + 1;
    const TGridRows& rows = ActiveRows();
    if (row <= 0 || row >= static_cast<int>(rows.size()))
        return;
    const QString text = Text(RowText(rows[row]));
    desktop::SetClipboardText(text);
}

void TBrowseForm::Export2Click()
{
    desktop::TFileDialogRequest request;
    request.Caption = tr("Save As");
    request.Save = true;
    if (const std::optional<QString> fileName = desktop::AskFile(this, request))
        ExportGrid(ActiveRows(), *fileName);
}

void TBrowseForm::ExportGrid(const TGridRows& rows, const QString& fileName)
{
    const QTreeWidgetItem* node = MonthTv->currentItem();
    const std::string text =
        ExportText(YearCombo->currentText().toStdString(),
                   node == nullptr ? std::string() : node->text(0).toStdString(), rows);
    desktop::SaveExportFile(this, fileName, text);
}

void TBrowseForm::About1Click()
{
    TAboutForm about(this);
    desktop::ExecDialog(about);
}

void TBrowseForm::ShowError(const QString& text)
{
    desktop::ShowError(this, text);
}

// ---- size -----------------------------------------------------------------------------------

// The last column takes the width the others leave.
void TBrowseForm::FormResize()
{
    constexpr int Narrowest = 20;
    NoteGrid->setColumnWidth(
        1, std::max(Narrowest, NoteGrid->viewport()->width() - NoteGrid->columnWidth(0)));
    ReminderGrid->setColumnWidth(
        2, std::max(Narrowest, ReminderGrid->viewport()->width() - ReminderGrid->columnWidth(0) -
                                   ReminderGrid->columnWidth(1)));
}

bool TBrowseForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize &&
        (watched == NoteGrid->viewport() || watched == ReminderGrid->viewport()))
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace orvenna::notes
