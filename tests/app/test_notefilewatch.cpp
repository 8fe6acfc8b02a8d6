// "2004.cal" changed by another program while the calendar runs: the store, the note marks and
// the reminder timer follow; open editors keep their text and merge into what the store holds
// when they save; the program's own saves are not read back, and a save before the watch looks
// keeps what the other program wrote; a damaged file is reported once per burst of writes.
#include "app/windowmanager.h"
#include "app/notefilewatch.h"
#include "notes/browsefrm.h"
#include "notes/notefrm.h"
#include "store/daypaperlist.h"
#include "store/filelock.h"
#include "store/filesave.h"
#include "tests/support/calendarrig.h"
#include "tests/support/tempfolder.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <future>
#include <thread>

using namespace orvenna;
using namespace orvenna::test;
using notes::TNoteForm;

namespace {

using TLines = std::vector<std::string>;

const QDate OtherDay = Today.addDays(3);

// The watch's times shortened for the run: the quiet time stays well beyond the spacing of the
// burst's writes below (settle time + 100 ms), also on a loaded machine.
constexpr int SettleMs = 50;
constexpr int QuietMs = 500;

struct TPaperText {
    QDate Day;
    TLines Note;
    QList<QTime> Reminders;
};

std::string NotesBytes(const QList<TPaperText>& papers)
{
    store::TDayPaperList list;
    for (const TPaperText& given : papers) {
        store::TDayPaper& paper = list.AddDayPaper();
        paper.Day = DayCount(given.Day);
        paper.Note = given.Note;
        for (QTime time : given.Reminders) {
            store::TReminder& r = paper.ReminderList.AddReminder();
            r.When = paper.Day + time.msecsSinceStartOfDay() / store::MSecsPerDay;
            r.Subject = "at " + time.toString().toStdString();
        }
    }
    return list.SaveToBytes();
}

// What another program does: a new file renamed over the old one.
void WriteElsewhere(const TCalendarRig& rig, const std::string& bytes)
{
    const QString temp = rig.Folder + QStringLiteral("elsewhere.tmp");
    QFile file(temp);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    QVERIFY(std::rename(temp.toLocal8Bit().constData(), rig.File("2004.cal").c_str()) == 0);
}

// What an editor saving in place does: the same file truncated and written again.
void WriteInPlace(const TCalendarRig& rig, const std::string& bytes)
{
    QFile file(QString::fromStdString(rig.File("2004.cal")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

struct TWatchRig {
    explicit TWatchRig(const QList<TPaperText>& papers)
    {
        test::WriteBytes(Calendar.File("2004.cal"), NotesBytes(papers));
        Calendar.Clock.Day = DayCount(Today) + 0.25;  // 06:00
        Calendar.Create().Start();
        Notes = Calendar.Windows;
        Watch = Calendar.Core->findChild<app::TNoteFileWatch*>();
        Watch->SetTimes(SettleMs, QuietMs);
        QObject::connect(Notes, &app::TWindowManager::EditorOpened,
                         [this](TNoteForm* editor) { Editor = editor; });
    }
    ~TWatchRig() { delete Editor.data(); }

    store::TDayPaperList& Papers() { return Calendar.Core->DayPapers(); }
    TLines NoteOf(QDate day)
    {
        const store::TDayPaper* paper = Papers().FindDayPaper(DayCount(day));
        return paper ? paper->Note : TLines{};
    }
    // The editor of today, as the hot key opens it, with a line typed in.
    TNoteForm& EditToday(int row, const QString& text)
    {
        Notes->ShowTodayNote();
        QLineEdit* line = Editor->NoteLine(row);
        line->selectAll();
        QTest::keyClicks(line, text);
        return *Editor;
    }
    // The file as a fresh store reads it.
    TLines SavedNote(QDate day) const
    {
        store::TDayPaperList saved;
        saved.LoadFromFile(Calendar.File("2004.cal"));
        const store::TDayPaper* paper = saved.FindDayPaper(DayCount(day));
        return paper ? paper->Note : TLines{};
    }

    TCalendarRig Calendar;
    app::TWindowManager* Notes = nullptr;
    app::TNoteFileWatch* Watch = nullptr;
    QPointer<TNoteForm> Editor;
};

QStringList Texts(const TLines& lines)
{
    QStringList texts;
    for (const std::string& line : lines)
        texts << QString::fromStdString(line);
    return texts;
}

TLines Sheet(TLines lines)
{
    lines.resize(TNoteForm::NoteLines);
    return lines;
}

}  // namespace

// The saves' wait for another writer's lock, shortened for the run.
constexpr std::chrono::milliseconds LockWait{800};

class TestNoteFileWatch final : public QObject {
    Q_OBJECT

private slots:
    void outsideChangeReachesStoreMarksAndTimer()
    {
        TWatchRig rig({{Today, {"today"}, {}}});
        QVERIFY(rig.Watch != nullptr);
        QSignalSpy changed(rig.Calendar.Core.get(), &app::TAppCore::NotesChanged);
        WriteElsewhere(rig.Calendar, NotesBytes({{Today, {"today"}, {QTime(6, 30)}},
                                                 {OtherDay, {"from the tool"}, {}}}));
        QTRY_COMPARE(rig.NoteOf(OtherDay), TLines{"from the tool"});
        QCOMPARE(changed.size(), 1);
        QVERIFY(rig.Calendar.Form->NoteDays().contains(QString::number(OtherDay.day())));
        QCOMPARE(rig.Papers().TodayList().ReminderCount(), 1);
        // The reminder's minute, 06:29:00, comes next.
        QCOMPARE(rig.Calendar.Core->findChild<app::TAlarmTimer*>()->Timer().interval(),
                 29 * 60000 + 1);
    }

    void everyWayOfWritingIsNoticed_data()
    {
        QTest::addColumn<QString>("writes");  // in order: r renamed over, p written in place
        QTest::newRow("written in place") << "p";
        QTest::newRow("in place after a rename") << "rp";
        QTest::newRow("renamed twice, then in place") << "rrp";
    }
    void everyWayOfWritingIsNoticed()
    {
        QFETCH(QString, writes);
        TWatchRig rig({{Today, {"start"}, {}}});
        for (int i = 0; i < writes.size(); ++i) {
            const TLines note{"write " + std::to_string(i)};
            const std::string bytes = NotesBytes({{Today, note, {}}});
            if (writes[i] == QLatin1Char('r'))
                WriteElsewhere(rig.Calendar, bytes);
            else
                WriteInPlace(rig.Calendar, bytes);
            QTRY_COMPARE(rig.NoteOf(Today), note);
        }
    }

    void editorOfAnotherDayKeepsItsTextAndTheOutsideChange()
    {
        TWatchRig rig({{OtherDay, {"other"}, {}}});
        TNoteForm& editor = rig.EditToday(0, QStringLiteral("typed today"));
        WriteElsewhere(rig.Calendar, NotesBytes({{OtherDay, {"other", "added elsewhere"}, {}}}));
        QTRY_COMPARE(rig.NoteOf(OtherDay), (TLines{"other", "added elsewhere"}));
        // The reload dropped the empty paper the editor was opened on: its save adds it again.
        QVERIFY(editor.SaveNote());
        QCOMPARE(rig.SavedNote(Today), Sheet({"typed today"}));
        QCOMPARE(rig.SavedNote(OtherDay), (TLines{"other", "added elsewhere"}));
    }

    void editorOfTheSameDayMergesIntoTheOutsideChange()
    {
        TWatchRig rig({{Today, Sheet({"one", "two"}), {QTime(9, 0)}}});
        TNoteForm& editor = rig.EditToday(1, QStringLiteral("TWO"));
        WriteElsewhere(rig.Calendar, NotesBytes({{Today, {"zero", "one", "two", "three"},
                                                  {QTime(9, 0), QTime(10, 0)}}}));
        QTRY_COMPARE(rig.NoteOf(Today).size(), std::size_t(4));
        QVERIFY(editor.SaveNote());
        const TLines merged{"zero", "one", "TWO", "three"};
        QCOMPARE(rig.SavedNote(Today), merged);
        const store::TDayPaper& paper = *rig.Papers().FindDayPaper(DayCount(Today));
        QCOMPARE(paper.ReminderList.ReminderCount(), 2);
        // The editor now shows the day as saved.
        QCOMPARE(editor.Stringgrid1()->item(0, 0)->text(), QStringLiteral("zero"));
        QCOMPARE(editor.ReminderGrid()->Cell(1, 2), QStringLiteral("at 10:00:00"));
    }

    void lineDeletedInTheStoreStaysDeletedAfterTheEditorSaves()
    {
        TWatchRig rig({{Today, Sheet({"keep", "delete me", "edit me"}), {}}});
        TNoteForm& editor = rig.EditToday(2, QStringLiteral("edited"));
        // The browser on the same month deletes the second line: date row, "keep", "delete me".
        for (QAction* action : rig.Calendar.Form->PopupMenu().actions())
            if (action->text() == QStringLiteral("&Browse..."))
                action->trigger();
        auto* browser = rig.Calendar.Form->findChild<notes::TBrowseForm*>();
        QVERIFY(browser != nullptr);
        browser->NoteGrid->setCurrentCell(2, 0);
        QCOMPARE(browser->NoteGrid->item(2, 1)->text(), QStringLiteral("delete me"));
        browser->DeleteNoteLine();
        QCOMPARE(rig.SavedNote(Today).size(), std::size_t(11));
        QVERIFY(editor.SaveNote());
        QCOMPARE(rig.SavedNote(Today), (TLines{"keep", "edited", "", "", "", "", "", "", "", "", ""}));
    }

    void ownSavesAreNotReadBack_data()
    {
        QTest::addColumn<bool>("changedAfterSaving");
        QTest::newRow("saved") << false;
        // An editor opened on a new day adds its paper to the store before the watch looks:
        // the file is still the program's own save, and the new paper stays.
        QTest::newRow("saved, then a paper added") << true;
    }
    void ownSavesAreNotReadBack()
    {
        QFETCH(bool, changedAfterSaving);
        TWatchRig rig({{Today, {"today"}, {}}});
        QSignalSpy changed(rig.Calendar.Core.get(), &app::TAppCore::NotesChanged);
        rig.Papers().FindDayPaper(DayCount(Today))->Note = {"saved here"};
        QVERIFY(rig.Calendar.Core->SaveNotes());
        if (changedAfterSaving)
            rig.Papers().AddDayPaper().Day = DayCount(OtherDay);
        rig.Watch->Check();  // the look the watch takes once the save's writes settled
        QCOMPARE(changed.size(), 1);
        QCOMPARE(rig.NoteOf(Today), TLines{"saved here"});
        QCOMPARE(rig.Papers().FindDayPaper(DayCount(OtherDay)) != nullptr, changedAfterSaving);
    }

    // The program saves before the watch has taken up another program's write (within its
    // settle time, or while writes keep coming): what the other program wrote stays.
    void saveBeforeTheWatchLooksKeepsTheOutsideWrite_data()
    {
        QTest::addColumn<QString>("write");  // r renamed over, p written in place, d damaged
        QTest::addColumn<QStringList>("today");   // today's note in the file after the save
        QTest::addColumn<QStringList>("other");   // the other day's
        QTest::newRow("another day, renamed over") << "r" << QStringList{"mine", "two"} << QStringList{"tool"};
        QTest::newRow("the same day, in place")
            << "p" << QStringList{"mine", "two", "tool"} << QStringList{};
        QTest::newRow("damaged: what reads is kept, and a copy")
            << "d" << QStringList{"mine", "two"} << QStringList{"tool"};
        // The watch took up the file as it was a moment before the last write.
        QTest::newRow("written again after the watch read it")
            << "t" << QStringList{"mine", "two"} << QStringList{"tool"};
    }
    void saveBeforeTheWatchLooksKeepsTheOutsideWrite()
    {
        QFETCH(QString, write);
        QFETCH(QStringList, today);
        QFETCH(QStringList, other);
        TWatchRig rig({{Today, {"one", "two"}, {}}});
        QSignalSpy changed(rig.Calendar.Core.get(), &app::TAppCore::NotesChanged);
        if (write == QLatin1String("p")) {
            WriteInPlace(rig.Calendar, NotesBytes({{Today, {"one", "two", "tool"}, {}}}));
        } else {
            std::string bytes = NotesBytes({{Today, {"one", "two"}, {}}, {OtherDay, {"tool"}, {}}});
            if (write == QLatin1String("d"))
                bytes += "cut short";  // past the counted papers
            WriteElsewhere(rig.Calendar, bytes);
            if (write == QLatin1String("t"))
                rig.Calendar.Core->TakeUpNotesFile(NotesBytes({{Today, {"one", "two"}, {}}}));
        }
        rig.Papers().FindDayPaper(DayCount(Today))->Note[0] = "mine";
        QVERIFY(rig.Calendar.Core->SaveNotes());
        QCOMPARE(Texts(rig.SavedNote(Today)), today);
        QCOMPARE(Texts(rig.SavedNote(OtherDay)), other);
        QCOMPARE(Texts(rig.NoteOf(OtherDay)), other);
        QCOMPARE(rig.Calendar.Errors.size(), write == QLatin1String("d") ? 1 : 0);
        if (write == QLatin1String("d"))
            QVERIFY(rig.Calendar.Errors[0].contains(QStringLiteral("2004.cal.damaged-")));
        // The watch then finds the program's own save: nothing read back, nothing told.
        rig.Watch->Check();
        QTest::qWait(SettleMs + 100);
        QCOMPARE(changed.size(), write == QLatin1String("t") ? 2 : 1);
        QCOMPARE(Texts(rig.NoteOf(Today)), today);
        QCOMPARE(rig.Calendar.Errors.size(), write == QLatin1String("d") ? 1 : 0);
    }

    // Another writer holds the file's lock: the save waits for it and then sees what it wrote;
    // one that keeps holding it past the wait makes the save fail, saying so, and the store is
    // as it was.
    void saveWaitsForAnotherWritersLock_data()
    {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<bool>("saved");
        QTest::newRow("let go within the wait") << 150 << true;
        QTest::newRow("held past the wait") << int(LockWait.count()) + 800 << false;
    }
    void saveWaitsForAnotherWritersLock()
    {
        QFETCH(int, holdMs);
        QFETCH(bool, saved);
        TWatchRig rig({{Today, {"one"}, {}}});
        rig.Calendar.Core->SetLockWait(LockWait);
        const std::string file = rig.Calendar.File("2004.cal");
        std::promise<void> locked;
        std::thread writer([&] {
            const store::TFileLock lock(file);
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
            store::SaveFileAtomically(file, NotesBytes({{Today, {"one"}, {}}, {OtherDay, {"tool"}, {}}}));
        });
        locked.get_future().wait();
        rig.Papers().FindDayPaper(DayCount(Today))->Note = {"mine"};
        const bool result = rig.Calendar.Core->SaveNotes();
        writer.join();
        QCOMPARE(result, saved);
        QCOMPARE(rig.SavedNote(OtherDay), TLines{"tool"});
        QCOMPARE(rig.SavedNote(Today), saved ? TLines{"mine"} : TLines{"one"});
        QCOMPARE(rig.Calendar.Errors.size(), saved ? 0 : 1);
        if (!saved)
            QVERIFY(rig.Calendar.Errors[0].startsWith(QStringLiteral("Cannot lock file")));
    }

    // A slow writer leaves the file half-written again and again: one message once it stops,
    // and a new one only after the file has read whole in between.
    void unreadableBurstIsToldOnce()
    {
        TWatchRig rig({{Today, {"kept"}, {}}});
        for (int i = 0; i < 5; ++i) {
            std::string damaged = NotesBytes({{Today, {"write " + std::to_string(i)}, {}}});
            damaged.resize(damaged.size() - 3);
            WriteElsewhere(rig.Calendar, damaged);
            QTest::qWait(SettleMs + 100);
        }
        QCOMPARE(rig.Calendar.Errors.size(), 0);
        QTRY_COMPARE(rig.Calendar.Errors.size(), 1);
        QTest::qWait(QuietMs);
        QCOMPARE(rig.Calendar.Errors.size(), 1);
        QCOMPARE(rig.NoteOf(Today), TLines{"kept"});

        WriteElsewhere(rig.Calendar, NotesBytes({{Today, {"whole"}, {}}}));
        QTRY_COMPARE(rig.NoteOf(Today), TLines{"whole"});
        WriteElsewhere(rig.Calendar, "\x01");
        QTRY_COMPARE(rig.Calendar.Errors.size(), 2);
    }

    void damagedFileKeepsTheStoreAndIsReportedOnce()
    {
        TWatchRig rig({{Today, {"kept"}, {}}});
        std::string damaged = NotesBytes({{Today, {"cut short"}, {}}});
        damaged.resize(damaged.size() - 3);
        WriteElsewhere(rig.Calendar, damaged);
        QTRY_COMPARE(rig.Calendar.Errors.size(), 1);
        QVERIFY(rig.Calendar.Errors[0].contains(QStringLiteral("2004.cal")));
        QCOMPARE(rig.NoteOf(Today), TLines{"kept"});
        WriteElsewhere(rig.Calendar, damaged);
        rig.Watch->Check();
        QCOMPARE(rig.Calendar.Errors.size(), 1);

        WriteElsewhere(rig.Calendar, NotesBytes({{Today, {"repaired"}, {}}}));
        QTRY_COMPARE(rig.NoteOf(Today), TLines{"repaired"});
        QCOMPARE(rig.Calendar.Errors.size(), 1);
    }
};

QTEST_MAIN(TestNoteFileWatch)
#include "test_notefilewatch.moc"
