// The note browser on the offscreen platform: a store made in the test, a temporary program
// folder for the notes file, and the clipboard, the export dialog and the message boxes taken
// by hooks.
#include "notes/aboutfrm.h"
#include "notes/browsefrm.h"
#include "desktop/guiservices.h"
#include "store/daypaperlist.h"
#include "store/settings.h"
#include "tests/support/notessaver.h"
#include "tests/support/tempfolder.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace orvenna;
using namespace orvenna::notes;

namespace {

const QString CRLF = QStringLiteral("\r\n");

struct TPaperCase {
    int Year, Month, Day;
    QStringList Note;
    // "hh:mm Subject" per reminder
    QStringList Reminders = {};
};

// One browser on a store of the given papers, with every outside effect recorded.
class TRig final {
public:
    explicit TRig(const QList<TPaperCase>& papers, int year = 2004, int month = 12,
                  store::TLocalFormat format = {})
        : Papers([] { return store::EncodeDate(2004, 12, 15); })
    {
        Folder = QString::fromStdString(Temp.Path().string()) + QLatin1Char('/');
        for (const TPaperCase& given : papers) {
            store::TDayPaper& paper = Papers.AddDayPaper();
            paper.Day = store::EncodeDate(given.Year, given.Month, given.Day);
            for (const QString& line : given.Note)
                paper.Note.push_back(line.toStdString());
            for (const QString& reminder : given.Reminders) {
                store::TReminder& r = paper.ReminderList.AddReminder();
                r.When = store::EncodeDateTime(given.Year, given.Month, given.Day,
                                               reminder.left(2).toInt(), reminder.mid(3, 2).toInt());
                r.Subject = reminder.mid(6).toStdString();
            }
        }
        Form = std::make_unique<TBrowseForm>(Papers, std::move(format), Settings, year, month,
                                             Saves.Saver());
    }

    QString NotesFile() const { return Folder + QStringLiteral("2004.cal"); }
    // The paper notes as the notes file holds them now.
    QStringList SavedNotes() const
    {
        store::TDayPaperList saved;
        saved.LoadFromFile(NotesFile().toStdString());
        QStringList notes;
        for (int i = 0; i < saved.Count(); ++i)
            for (const std::string& line : saved.GetDayPaper(i).Note)
                notes << QString::fromStdString(line);
        return notes;
    }
    void SelectRow(QTableWidget& grid, int listedRow) { grid.setCurrentCell(listedRow - 1, 0); }

    test::TTempFolder Temp;
    QString Folder;
    store::TDayPaperList Papers;
    store::TCalSetting Settings;
    // The file the next "Save As" dialog answers; empty: cancelled.
    void SetExportAnswer(const QString& file)
    {
        ExportAnswer = file;
        Answers.Files = {file.isEmpty() ? std::nullopt : std::optional<QString>(file)};
    }

    desktop::TGUIAnswers Answers;
    QString ExportAnswer;
    QStringList& Clipboard = Answers.Clipboard;
    QStringList& Errors = Answers.Messages;  // the error boxes, and the saver's failures
    QList<QWidget*>& AboutOwners = Answers.DialogOwners;
    test::TNotesSaver Saves{Papers, Temp.File("2004.cal"), Errors};
    std::unique_ptr<TBrowseForm> Form;
};

// The grid as the user sees it: the header, then each row's cells joined by '|'.
QStringList Shown(const QTableWidget& grid)
{
    QStringList lines;
    QStringList header;
    for (int c = 0; c < grid.columnCount(); ++c)
        header << grid.horizontalHeaderItem(c)->text();
    lines << header.join(QLatin1Char('|'));
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << (grid.item(r, c) ? grid.item(r, c)->text() : QString());
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

QStringList YearItems(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

const QList<TPaperCase> December2004 = {
    {2004, 12, 1, {QStringLiteral("buy milk"), QString(), QStringLiteral("call Ann")}},
    {2004, 12, 3, {QStringLiteral(" "), QString()}, {QStringLiteral("09:30 Dentist")}},
    {2004, 11, 30, {QStringLiteral("November")}},
    {2005, 12, 1, {QStringLiteral("next year")}},
    {2004, 12, 24, {QStringLiteral("Milk shake")},
     {QStringLiteral("18:00 Dinner"), QStringLiteral("07:05 ")}},
};

}  // namespace

Q_DECLARE_METATYPE(TPaperCase)

class TestBrowseForm final : public QObject {
    Q_OBJECT

private slots:
    void lists_data();
    void lists();
    void deleteNoteLine_data();
    void deleteNoteLine();
    void deleteWritesNextToProgram();
    void pagesEnableCommands();
    void yearBox_data();
    void yearBox();
    void search_data();
    void search();
    void copyRow_data();
    void copyRow();
    void exportList_data();
    void exportList();
    void cancelledExportWritesNothing();
    void notesChangedElsewhere();
    void currentRowHighlightAndResize();
    void menuAndAbout();
    void searchPromptShowsWhole();
    void subscribedRows_data();
    void subscribedRows();
};

// ---- lists ----------------------------------------------------------------------------------

void TestBrowseForm::lists_data()
{
    QTest::addColumn<QList<TPaperCase>>("papers");
    QTest::addColumn<int>("month");
    QTest::addColumn<bool>("reminders");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("month without notes: header and one empty row")
        << December2004 << 1 << false << QStringList{"Date|Note", "|"};
    QTest::newRow("month without reminders")
        << December2004 << 11 << true << QStringList{"Date|Note|", "||"};
    QTest::newRow("notes of the month, blank note left out, empty lines skipped")
        << December2004 << 12 << false
        << QStringList{"Date|Note", "12/1/04|", "|buy milk", "|call Ann", "12/24/04|",
                       "|Milk shake"};
    QTest::newRow("reminders of the month in list order, blank note still has them")
        << December2004 << 12 << true
        << QStringList{"Date|Note|",     "12/3/04||",        "|9:30:00 AM|Dentist",
                       "12/24/04||",     "|6:00:00 PM|Dinner", "|7:05:00 AM|"};
    QTest::newRow("a line of blanks between two lines is a row of its own")
        << QList<TPaperCase>{{2004, 12, 1, {QStringLiteral("a"), QStringLiteral("  "), QStringLiteral("b")}}}
        << 12 << false << QStringList{"Date|Note", "12/1/04|", "|a", "|  ", "|b"};
    QTest::newRow("store order, not day order")
        << QList<TPaperCase>{{2004, 12, 9, {QStringLiteral("later")}},
                             {2004, 12, 2, {QStringLiteral("earlier")}}}
        << 12 << false << QStringList{"Date|Note", "12/9/04|", "|later", "12/2/04|", "|earlier"};
}

void TestBrowseForm::lists()
{
    QFETCH(QList<TPaperCase>, papers);
    QFETCH(int, month);
    QFETCH(bool, reminders);
    QFETCH(QStringList, shown);
    TRig rig(papers, 2004, month);
    TBrowseForm& form = *rig.Form;
    QCOMPARE(form.BrowseMonth(), month);
    QCOMPARE(form.MonthTv->currentItem()->text(0), QString::fromStdString(
                                                       store::TLocalFormat{}.LongMonthNames[month - 1]));
    if (reminders)
        form.PageControl1->setCurrentWidget(form.ReminderGrid);
    QCOMPARE(Shown(reminders ? *form.ReminderGrid : *form.NoteGrid), shown);
}

// ---- delete ---------------------------------------------------------------------------------

void TestBrowseForm::deleteNoteLine_data()
{
    QTest::addColumn<QStringList>("note");
    QTest::addColumn<int>("listedRow");  // 1 = the first row under the header
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("noteAfter");  // empty: nothing deleted, no file written
    QTest::addColumn<QStringList>("shownAfter");

    const QStringList aEmptyB{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("second listed line skips the empty one")
        << aEmptyB << 3 << true << QStringList{"a", ""} << QStringList{"Date|Note", "12/1/04|", "|a"};
    QTest::newRow("first listed line")
        << aEmptyB << 2 << true << QStringList{"", "b"} << QStringList{"Date|Note", "12/1/04|", "|b"};
    QTest::newRow("date row: nothing")
        << aEmptyB << 1 << false << QStringList{} << QStringList{"Date|Note", "12/1/04|", "|a", "|b"};
    QTest::newRow("month without notes: nothing")
        << QStringList{} << 1 << false << QStringList{} << QStringList{"Date|Note", "|"};
    QTest::newRow("the line under a line of blanks")
        << QStringList{"a", " ", "b"} << 4 << true << QStringList{"a", " "}
        << QStringList{"Date|Note", "12/1/04|", "|a", "| "};
    QTest::newRow("same text twice: the listed one goes")
        << QStringList{"x", "y", "x"} << 4 << true << QStringList{"x", "y"}
        << QStringList{"Date|Note", "12/1/04|", "|x", "|y"};
}

void TestBrowseForm::deleteNoteLine()
{
    QFETCH(QStringList, note);
    QFETCH(int, listedRow);
    QFETCH(bool, enabled);
    QFETCH(QStringList, noteAfter);
    QFETCH(QStringList, shownAfter);
    TRig rig({{2004, 12, 1, note}});
    TBrowseForm& form = *rig.Form;
    rig.SelectRow(*form.NoteGrid, listedRow);
    QCOMPARE(form.Action2->isEnabled(), enabled);
    form.DeleteNoteLine();
    QCOMPARE(Shown(*form.NoteGrid), shownAfter);
    if (noteAfter.isEmpty()) {
        QVERIFY(!QFile::exists(rig.NotesFile()));
        QCOMPARE(rig.Saves.Calls, 0);
    } else {
        QCOMPARE(rig.SavedNotes(), noteAfter);
        QCOMPARE(rig.Saves.Calls, 1);
    }
}

void TestBrowseForm::deleteWritesNextToProgram()
{
    TRig rig({{2004, 12, 1, {QStringLiteral("a"), QStringLiteral("b")}}});
    test::TTempFolder elsewhere;
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(elsewhere.Path().string()));
    rig.SelectRow(*rig.Form->NoteGrid, 2);
    rig.Form->Action2->trigger();
    QDir::setCurrent(before);
    QCOMPARE(rig.SavedNotes(), QStringList{"b"});
    QVERIFY(QDir(QString::fromStdString(elsewhere.Path().string())).isEmpty());
    // The next row is a line again: Delete stays at hand.
    QVERIFY(rig.Form->Action2->isEnabled());

    // A note changed behind the list's back is shown anew, not cut at the wrong line.
    rig.Papers.GetDayPaper(0).Note = {"new", "b"};
    rig.SelectRow(*rig.Form->NoteGrid, 2);
    rig.Form->DeleteNoteLine();
    QCOMPARE(rig.Papers.GetDayPaper(0).Note, (std::vector<std::string>{"new", "b"}));
    QCOMPARE(Shown(*rig.Form->NoteGrid), (QStringList{"Date|Note", "12/1/04|", "|new", "|b"}));

    // A notes file that cannot be written: the store's message, the list still follows.
    QVERIFY(QFile::remove(rig.NotesFile()));
    QVERIFY(QDir().mkdir(rig.NotesFile()));
    rig.SelectRow(*rig.Form->NoteGrid, 2);
    rig.Form->DeleteNoteLine();
    QCOMPARE(rig.Errors.size(), 1);
    QVERIFY2(rig.Errors[0].startsWith(QStringLiteral("Cannot create file")), qPrintable(rig.Errors[0]));
    QCOMPARE(Shown(*rig.Form->NoteGrid), (QStringList{"Date|Note", "12/1/04|", "|b"}));
}

void TestBrowseForm::pagesEnableCommands()
{
    TRig rig(December2004);
    TBrowseForm& form = *rig.Form;
    rig.SelectRow(*form.NoteGrid, 2);
    QVERIFY(form.Action2->isEnabled());
    QVERIFY(form.Button1->isEnabled());

    form.PageControl1->setCurrentWidget(form.ReminderGrid);
    QVERIFY(!form.Action2->isEnabled());
    QVERIFY(!form.Button1->isEnabled());
    form.Action2->trigger();  // a shortcut cannot reach it either
    QCOMPARE(Shown(*form.NoteGrid).size(), 6);
    form.SearchText->setEditText(QStringLiteral("November"));
    QTest::keyClick(form.SearchText->lineEdit(), Qt::Key_Return);  // nor can Enter search
    QCOMPARE(form.BrowseMonth(), 12);

    form.PageControl1->setCurrentWidget(form.NoteGrid);
    QVERIFY(form.Button1->isEnabled());
    QVERIFY(!form.Action2->isEnabled());
    rig.SelectRow(*form.NoteGrid, 3);
    QVERIFY(form.Action2->isEnabled());
    QTest::keyClick(form.SearchText->lineEdit(), Qt::Key_Return);
    QCOMPARE(form.BrowseMonth(), 11);
}

// ---- year box -------------------------------------------------------------------------------

void TestBrowseForm::yearBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("error");

    QTest::newRow("a listed year") << "2005" << 2005 << "";
    QTest::newRow("a year not listed") << "1999" << 1999 << "";
    QTest::newRow("leading blanks and a sign") << "  +2005" << 2005 << "";
    QTest::newRow("letters") << "20x5" << 2004 << "'20x5' is not a valid integer value";
    QTest::newRow("empty") << "" << 2004 << "'' is not a valid integer value";
    QTest::newRow("blanks around") << " 2005 " << 2005 << "";
    QTest::newRow("blank inside") << "20 05" << 2004 << "'20 05' is not a valid integer value";
    QTest::newRow("too large") << "99999999999" << 2004
                               << "'99999999999' is not a valid integer value";
}

void TestBrowseForm::yearBox()
{
    QFETCH(QString, typed);
    QFETCH(int, year);
    QFETCH(QString, error);
    TRig rig(December2004);
    TBrowseForm& form = *rig.Form;
    QCOMPARE(YearItems(*form.YearCombo),
             (QStringList{"1999", "2000", "2001", "2002", "2003", "2004", "2005", "2006", "2007",
                          "2008", "2009"}));
    QCOMPARE(form.YearCombo->currentText(), QStringLiteral("2004"));
    const QStringList before = Shown(*form.NoteGrid);

    // Typed key by key, the text is the year: "2" is the year 2, not a completed "2000".
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.YearCombo->setFocus();
    form.YearCombo->lineEdit()->selectAll();
    QTest::keyClicks(form.YearCombo->lineEdit(), QStringLiteral("2"));
    QCOMPARE(form.BrowseYear, 2);
    form.YearCombo->setCurrentIndex(5);
    QCOMPARE(form.BrowseYear, 2004);

    form.YearCombo->setEditText(typed);
    QCOMPARE(form.BrowseYear, year);
    QCOMPARE(rig.Errors, error.isEmpty() ? QStringList{} : QStringList{error});
    if (year == 2005)
        QCOMPARE(Shown(*form.NoteGrid), (QStringList{"Date|Note", "12/1/05|", "|next year"}));
    else if (year == 2004)
        QCOMPARE(Shown(*form.NoteGrid), before);

    // A page change with a box that cannot be read says so, keeps the year, and still fills
    // the page it shows.
    rig.Errors.clear();
    form.PageControl1->setCurrentWidget(form.ReminderGrid);
    QCOMPARE(form.BrowseYear, year);
    QCOMPARE(rig.Errors.size(), error.isEmpty() ? 0 : 1);
    QCOMPARE(Shown(*form.ReminderGrid).size(), year == 2004 ? 6 : 2);
}

// ---- search ---------------------------------------------------------------------------------

void TestBrowseForm::search_data()
{
    QTest::addColumn<QStringList>("searches");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("yearText");
    QTest::addColumn<QString>("currentRow");

    // Store order: 12/1/04 buy milk, 12/3/04 blank, 11/30/04, 12/1/05, 12/24/04 Milk shake, and
    // 3/7/2031 "milk run" added last.
    QTest::newRow("hit in the shown month") << QStringList{"milk"} << 2004 << 12 << "2004"
                                            << "12/1/04|";
    QTest::newRow("next hit after the first") << QStringList{"milk", "milk"} << 2031 << 3 << ""
                                              << "3/7/31|";
    QTest::newRow("case-sensitive") << QStringList{"Milk"} << 2004 << 12 << "2004" << "12/24/04|";
    QTest::newRow("lower case word not found with a capital")
        << QStringList{"Call"} << 2004 << 12 << "2004" << "12/1/04|";
    QTest::newRow("another month of the eleven years")
        << QStringList{"next"} << 2005 << 12 << "2005" << "12/1/05|";
    QTest::newRow("no further hit: nothing changes")
        << QStringList{"November", "November"} << 2004 << 11 << "2004" << "11/30/04|";
    QTest::newRow("empty text finds nothing") << QStringList{""} << 2004 << 12 << "2004"
                                              << "12/1/04|";
}

void TestBrowseForm::search()
{
    QFETCH(QStringList, searches);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, yearText);
    QFETCH(QString, currentRow);
    QList<TPaperCase> papers = December2004;
    papers << TPaperCase{2031, 3, 7, {QStringLiteral("milk run")}};
    TRig rig(papers);
    TBrowseForm& form = *rig.Form;
    for (const QString& text : searches) {
        form.SearchText->setEditText(text);
        QTest::mouseClick(form.Button1, Qt::LeftButton);
    }
    QCOMPARE(form.BrowseYear, year);
    QCOMPARE(form.BrowseMonth(), month);
    QCOMPARE(form.YearCombo->currentText(), yearText);
    QCOMPARE(Shown(*form.NoteGrid).at(form.NoteGrid->currentRow() + 1), currentRow);
    QVERIFY(rig.Errors.isEmpty());
    // The year box kept its eleven years.
    QCOMPARE(form.YearCombo->count(), 11);
    QCOMPARE(form.YearCombo->itemText(0), QStringLiteral("1999"));
}

// ---- clipboard and export -------------------------------------------------------------------

void TestBrowseForm::copyRow_data()
{
    QTest::addColumn<bool>("reminders");
    QTest::addColumn<int>("listedRow");
    QTest::addColumn<QString>("text");

    QTest::newRow("date row") << false << 1 << QStringLiteral("12/1/04\r\n\r\n");
    QTest::newRow("note line") << false << 2 << QStringLiteral("\r\nbuy milk\r\n");
    QTest::newRow("reminder") << true << 2 << QStringLiteral("\r\n9:30:00 AM\r\nDentist\r\n");
    QTest::newRow("reminder date row") << true << 3 << QStringLiteral("12/24/04\r\n\r\n\r\n");
}

void TestBrowseForm::copyRow()
{
    QFETCH(bool, reminders);
    QFETCH(int, listedRow);
    QFETCH(QString, text);
    TRig rig(December2004);
    TBrowseForm& form = *rig.Form;
    if (reminders)
        form.PageControl1->setCurrentWidget(form.ReminderGrid);
    rig.SelectRow(reminders ? *form.ReminderGrid : *form.NoteGrid, listedRow);
    form.Action1->trigger();
    QCOMPARE(rig.Clipboard, QStringList{text});

    // The keys copy the row too, not just the cell the list itself would copy.
    QTableWidget& grid = reminders ? *form.ReminderGrid : *form.NoteGrid;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    grid.setFocus();
    QTest::keySequence(&grid, QKeySequence::Copy);
    QCOMPARE(rig.Clipboard, (QStringList{text, text}));
}

void TestBrowseForm::exportList_data()
{
    QTest::addColumn<bool>("reminders");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("note list")
        << false << 12
        << QStringList{"Year:2004", "Month:December", "Date", "Note", "12/1/04", "buy milk",
                       "call Ann", "12/24/04", "Milk shake"};
    QTest::newRow("reminder list")
        << true << 12
        << QStringList{"Year:2004", "Month:December", "Date", "Note", "12/3/04", "9:30:00 AM",
                       "Dentist", "12/24/04", "6:00:00 PM", "Dinner", "7:05:00 AM"};
    QTest::newRow("month without notes")
        << false << 2 << QStringList{"Year:2004", "Month:February", "Date", "Note", ""};
}

void TestBrowseForm::exportList()
{
    QFETCH(bool, reminders);
    QFETCH(int, month);
    QFETCH(QStringList, lines);
    TRig rig(December2004, 2004, month);
    TBrowseForm& form = *rig.Form;
    if (reminders)
        form.PageControl1->setCurrentWidget(form.ReminderGrid);
    rig.SetExportAnswer(rig.Folder + QStringLiteral("export.txt"));
    test::WriteBytes(rig.ExportAnswer.toStdString(), "an older and much longer file");
    form.Export2->trigger();
    const QString written = QString::fromStdString(test::ReadBytes(rig.ExportAnswer.toStdString()));
    QCOMPARE(written, lines.join(CRLF) + CRLF);
}

void TestBrowseForm::cancelledExportWritesNothing()
{
    TRig rig(December2004);
    rig.SetExportAnswer(rig.Folder + QStringLiteral("export.txt"));
    rig.Form->Export2->trigger();
    const std::string first = test::ReadBytes(rig.ExportAnswer.toStdString());
    QVERIFY(!first.empty());

    rig.Form->FillNotes(11);
    rig.SetExportAnswer({});
    rig.Form->Export2->trigger();
    QCOMPARE(test::ReadBytes((rig.Folder + QStringLiteral("export.txt")).toStdString()), first);
    QCOMPARE(QDir(rig.Folder).entryList(QDir::Files), QStringList{"export.txt"});

    // A file that cannot be written: the file library's message, nothing else happens.
    rig.SetExportAnswer(rig.Folder + QStringLiteral("no such folder/export.txt"));
    rig.Form->Export2->trigger();
    QCOMPARE(rig.Errors.size(), 1);
    QVERIFY(rig.Errors[0].startsWith(QStringLiteral("Cannot create file")));
}

// ---- living with other windows --------------------------------------------------------------

void TestBrowseForm::notesChangedElsewhere()
{
    TRig rig(December2004);
    TBrowseForm& form = *rig.Form;
    rig.SelectRow(*form.NoteGrid, 3);
    store::TDayPaper& added = rig.Papers.AddDayPaper();
    added.Day = store::EncodeDate(2004, 12, 31);
    added.Note = {"party"};
    form.NotesChanged();
    QCOMPARE(Shown(*form.NoteGrid).mid(6), (QStringList{"12/31/04|", "|party"}));
    QCOMPARE(form.NoteGrid->currentRow(), 2);  // the user's place is kept

    // Its own deletion, saved and announced to every window, this one too, comes back without
    // harm.
    rig.Saves.Announce = [&form] { form.NotesChanged(); };
    form.DeleteNoteLine();
    QCOMPARE(Shown(*form.NoteGrid),
             (QStringList{"Date|Note", "12/1/04|", "|buy milk", "12/24/04|", "|Milk shake",
                          "12/31/04|", "|party"}));
    QCOMPARE(form.NoteGrid->currentRow(), 2);
}

void TestBrowseForm::currentRowHighlightAndResize()
{
    store::TLocalFormat longDates;
    longDates.ShortDateFormat = "dddd, MMMM d, yyyy";
    TRig rig(December2004, 2004, 12, longDates);
    TBrowseForm& form = *rig.Form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    rig.SelectRow(*form.NoteGrid, 2);
    const QRect cell = form.NoteGrid->visualRect(form.NoteGrid->model()->index(1, 1));
    const QImage picture = form.NoteGrid->viewport()->grab().toImage();
    QCOMPARE(QColor(picture.pixel(cell.right() - 3, cell.bottom() - 2)), QColor(250, 252, 251));
    const QRect other = form.NoteGrid->visualRect(form.NoteGrid->model()->index(2, 1));
    QVERIFY(QColor(picture.pixel(other.right() - 3, other.bottom() - 2)) != QColor(250, 252, 251));

    for (const int width : {500, 900}) {
        form.resize(width, 400);
        QTRY_COMPARE(form.NoteGrid->columnWidth(0) + form.NoteGrid->columnWidth(1),
                     form.NoteGrid->viewport()->width());
    }
    form.PageControl1->setCurrentWidget(form.ReminderGrid);
    // A date wider than the reminder list's first column widens it.
    QVERIFY(form.ReminderGrid->columnWidth(0) > 64);
    const QAbstractItemView& reminderView = *form.ReminderGrid;
    QVERIFY(form.ReminderGrid->columnWidth(0) >= reminderView.sizeHintForColumn(0));
    QTRY_COMPARE(form.ReminderGrid->columnWidth(0) + form.ReminderGrid->columnWidth(1) +
                     form.ReminderGrid->columnWidth(2),
                 form.ReminderGrid->viewport()->width());
}

void TestBrowseForm::menuAndAbout()
{
    TRig rig(December2004);
    TBrowseForm& form = *rig.Form;
    QStringList file;
    for (const QAction* action : form.FileMenu()->actions())
        file << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(file, (QStringList{"&Export...", "-", "&Close"}));
    auto* extra = new QAction(QStringLiteral("Export iCalendar..."), &form);
    form.InsertFileCommand(extra);
    QCOMPARE(form.FileMenu()->actions().at(1), extra);
    QVERIFY(!form.Action3->isVisible());

    form.About1->trigger();
    QCOMPARE(rig.AboutOwners, (QList<QWidget*>{&form}));

    TAboutForm about(&form);
    QVERIFY(about.isModal());
    QCOMPARE(about.NameLabel->text(), QStringLiteral("Orvenna"));
    QCOMPARE(about.VersionLabel->text(), QStringLiteral("Version ") + ProgramVersion());
    QVERIFY(!ProgramVersion().isEmpty());
    QVERIFY(!about.Picture->pixmap().isNull());
}

// The search box's prompt is not cut at its right edge.
void TestBrowseForm::searchPromptShowsWhole()
{
    TRig rig(December2004);
    rig.Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.Form.get()));
    QLineEdit* edit = rig.Form->SearchText->lineEdit();
    QCOMPARE(edit->text(), QStringLiteral("<type keyword here>"));
    // The line editor keeps 2 pixels on either side of its text.
    QVERIFY(edit->fontMetrics().horizontalAdvance(edit->text()) + 4 <= edit->contentsRect().width());
}

// ---- subscribed calendars -------------------------------------------------------------------

void TestBrowseForm::subscribedRows_data()
{
    QTest::addColumn<QList<TPaperCase>>("own");
    QTest::addColumn<bool>("reminders");
    QTest::addColumn<QStringList>("shown");
    const QList<TPaperCase> none;
    QTest::newRow("after the user's own notes")
        << December2004 << false
        << QStringList{"Date|Note", "12/1/04|", "|buy milk", "|call Ann", "12/24/04|",
                       "|Milk shake", "12/2/04 (subscribed)|", "|Holiday", "|second line"};
    QTest::newRow("alone: no empty row before them")
        << none << false << QStringList{"Date|Note", "12/2/04 (subscribed)|", "|Holiday", "|second line"};
    QTest::newRow("reminders")
        << none << true << QStringList{"Date|Note|", "12/2/04 (subscribed)||", "|10:00:00 AM|Team call"};
}

void TestBrowseForm::subscribedRows()
{
    QFETCH(QList<TPaperCase>, own);
    QFETCH(bool, reminders);
    QFETCH(QStringList, shown);
    TRig rig(own);
    store::TDayPaperList subscribed;
    store::TDayPaper& paper = subscribed.AddDayPaper();
    paper.Day = store::EncodeDate(2004, 12, 2);
    paper.Note = {"Holiday", "second line"};
    store::TReminder& call = paper.ReminderList.AddReminder();
    call.When = store::EncodeDateTime(2004, 12, 2, 10, 0);
    call.Subject = "Team call";
    TBrowseForm& form = *rig.Form;
    form.SetSubscribed(&subscribed);
    if (reminders)
        form.PageControl1->setCurrentWidget(form.ReminderGrid);
    QCOMPARE(Shown(reminders ? *form.ReminderGrid : *form.NoteGrid), shown);
    if (reminders)
        return;
    // Their lines cannot be deleted: nothing is written back, nothing saved.
    rig.SelectRow(*form.NoteGrid, static_cast<int>(shown.size()) - 2);
    QVERIFY(!form.Action2->isEnabled());
    form.DeleteNoteLine();
    QCOMPARE(paper.Note.size(), std::size_t{2});
    QVERIFY(!QFile::exists(rig.NotesFile()));
}

QTEST_MAIN(TestBrowseForm)
#include "test_browsefrm.moc"
