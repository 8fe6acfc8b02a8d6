// "&Browse..." on a calendar: each click another browser on the shown month, sharing the store
// with the calendar and with whatever else saves notes.
#include "app/windowmanager.h"
#include "notes/browsefrm.h"
#include "store/daypaperlist.h"
#include "tests/support/calendarrig.h"

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

using namespace orvenna;
using namespace orvenna::test;
using notes::TBrowseForm;

namespace {

QAction* BrowseItem(TCalendarForm& form)
{
    for (QAction* action : form.PopupMenu().actions())
        if (action->text() == QStringLiteral("&Browse..."))
            return action;
    return nullptr;
}

QStringList NoteColumn(const TBrowseForm& browser)
{
    QStringList cells;
    for (int r = 0; r < browser.NoteGrid->rowCount(); ++r)
        cells << browser.NoteGrid->item(r, 1)->text();
    return cells;
}

}  // namespace

class TestBrowseOpener final : public QObject {
    Q_OBJECT

private slots:
    void eachClickOpensAnotherBrowserOnTheShownMonth()
    {
        TCalendarRig rig;
        TCalendarForm& form = rig.Create();
        QAction* browse = BrowseItem(form);
        QVERIFY(browse && browse->isEnabled());
        browse->trigger();
        form.NextMonthClick();
        browse->trigger();
        const QList<TBrowseForm*> browsers = form.findChildren<TBrowseForm*>();
        QCOMPARE(browsers.size(), 2);
        QCOMPARE(browsers[0]->BrowseYear, 2025);
        QCOMPARE(browsers[0]->BrowseMonth(), 3);
        QCOMPARE(browsers[1]->BrowseMonth(), 4);
        for (TBrowseForm* browser : browsers) {
            QVERIFY(browser->isVisible());
            QVERIFY(browser->isWindow());
            QVERIFY(!browser->isModal());
            QCOMPARE(&browser->Settings(), &rig.Core->Settings());
        }
        // Closing one destroys it; the other stays.
        browsers[0]->close();
        QTRY_COMPARE(form.findChildren<TBrowseForm*>().size(), 1);
    }

    void browserAndOtherWindowsShareTheStore()
    {
        TCalendarRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        BrowseItem(form)->trigger();
        auto* browser = form.findChild<TBrowseForm*>();
        QVERIFY(browser);
        QCOMPARE(NoteColumn(*browser), QStringList{QString()});

        // A note saved elsewhere (the editor saves through the core) shows in the browser.
        store::TDayPaper& paper = rig.Core->DayPapers().AddDayPaper();
        paper.Day = DayCount(QDate(2025, 3, 5));
        paper.Note = {"dentist"};
        QVERIFY(rig.Core->SaveNotes());
        QCOMPARE(NoteColumn(*browser), (QStringList{"", "dentist"}));
        QCOMPARE(form.NoteDays(), QStringList{"5"});

        // A line deleted in the browser reaches the file and the calendar's underlines.
        browser->NoteGrid->setCurrentCell(1, 0);
        browser->Action2->trigger();
        QCOMPARE(form.NoteDays(), QStringList{});
        store::TDayPaperList saved;
        saved.LoadFromFile(rig.File("2004.cal"));
        QCOMPARE(saved.Count(), 1);
        QVERIFY(saved.GetDayPaper(0).Note.empty());
        QVERIFY(rig.Errors.isEmpty());
    }
};

QTEST_MAIN(TestBrowseOpener)
#include "test_browseopener.moc"
