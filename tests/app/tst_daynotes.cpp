// Day notes and reminder alerts on a calendar with a fake desktop and a clock the test moves:
// the reminder check tick by tick, the midnight rebuild, and the three ways into the editor.
#include "app/daygrid.h"
#include "app/daynotes.h"
#include "notes/notefrm.h"
#include "popup/slidepopupform.h"
#include "store/daypaperlist.h"
#include "store/localetext.h"
#include "tests/app/calendarrig.h"
#include "tests/notes/modaldriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace orvenna;
using namespace orvenna::test;
using notes::TNoteForm;

namespace {

constexpr const char* Sound = "/sounds/ding.wav";

struct TReminderCase {
    QTime Time;
    const char* Subject;
    int Recurrency = 0;
    int State = 0;
    int Before = 0;
    QDate Day = Today;
};

// A calendar whose notes file holds the given reminders, with the clock at the given time of
// the given day.
class TAlertRig {
public:
    TAlertRig(const QList<TReminderCase>& reminders, QTime now, QDate day = Today)
    {
        store::TDayPaperList papers;
        for (const TReminderCase& given : reminders) {
            const double date = DayCount(given.Day);
            store::TDayPaper* paper = papers.FindDayPaper(date);
            if (paper == nullptr) {
                paper = &papers.AddDayPaper();
                paper->Day = date;
            }
            store::TReminder& r = paper->ReminderList.AddReminder();
            r.When = date + given.Time.msecsSinceStartOfDay() / store::MSecsPerDay;
            r.Subject = given.Subject;
            r.Recurrency = given.Recurrency;
            r.State = given.State;
            r.Before = given.Before;
        }
        papers.SaveToFile(Calendar.File("2004.cal"));
        store::TCalSetting settings;
        settings.SoundFile = Sound;
        Calendar.SaveSettings(settings);
        SetClock(day, now);
        Calendar.Create();
        Notes = Calendar.Form->findChild<app::TDayNotes*>();
    }
    ~TAlertRig()
    {
        for (popup::TfrmSlidePopUp* popup : Popups())
            delete popup;
    }

    void SetClock(QDate day, QTime time)
    {
        Calendar.Clock.Day = DayCount(day) + time.msecsSinceStartOfDay() / store::MSecsPerDay;
    }
    // One tick of the reminder check at that time of today.
    void TickAt(QTime time, QDate day = Today)
    {
        SetClock(day, time);
        Notes->Timer1Timer();
    }
    static QList<popup::TfrmSlidePopUp*> Popups()
    {
        QList<popup::TfrmSlidePopUp*> popups;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* popup = qobject_cast<popup::TfrmSlidePopUp*>(window); popup && popup->isVisible())
                popups << popup;
        return popups;
    }
    // "title / message" of each open popup.
    static QStringList Shown()
    {
        QStringList shown;
        for (popup::TfrmSlidePopUp* popup : Popups())
            shown << popup->lblTitle->text() + " / " + popup->lblText->text();
        shown.sort();
        return shown;
    }
    // The editor's header for a day in the calendar's locale.
    QString HeaderOf(QDate day) const
    {
        const store::TLocalFormat& format = Calendar.Core->LocalFormat();
        return QString::fromStdString(store::FormatShortDate(format, DayCount(day)) + ' ' +
                                      format.LongDayNames[day.dayOfWeek() % 7]);
    }
    QStringList DueSubjects() const
    {
        QStringList subjects;
        store::TReminderList& list = Calendar.Core->DayPapers().TodayList();
        for (int i = 0; i < list.ReminderCount(); ++i)
            subjects << QString::fromStdString(list.GetReminder(i).Subject);
        return subjects;
    }

    TCalendarRig Calendar;
    app::TDayNotes* Notes = nullptr;
};

}  // namespace

class TestDayNotes final : public QObject {
    Q_OBJECT

private slots:
    void dueWindowIsLessThanAMinuteEitherWay_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<bool>("due");
        QTest::newRow("a second before the minute before") << QTime(14, 28, 59) << false;
        QTest::newRow("the minute before") << QTime(14, 29, 0, 1) << true;
        QTest::newRow("on time") << QTime(14, 30, 0) << true;
        QTest::newRow("59 seconds late") << QTime(14, 30, 59) << true;
        QTest::newRow("a minute late") << QTime(14, 31, 0) << false;
    }
    void dueWindowIsLessThanAMinuteEitherWay()
    {
        QFETCH(QTime, now);
        QFETCH(bool, due);
        const double day = DayCount(QDate(2025, 3, 15));
        const double reminder = day + QTime(14, 30).msecsSinceStartOfDay() / store::MSecsPerDay;
        // Another day's date does not count, only the time of day.
        const double clock = day - 3 + now.msecsSinceStartOfDay() / store::MSecsPerDay;
        QCOMPARE(app::IsDueNow(clock, reminder), due);
    }

    void checkAlertsEachDueEntryOnce()
    {
        TAlertRig rig({{QTime(14, 30), "Dentist"},
                       {QTime(14, 30), "Daily pills", 1},
                       {QTime(14, 30), "Seen already", 0, 1},
                       {QTime(9, 0), "Morning, missed"},
                       {QTime(14, 40), "Ten minutes early", 0, 0, 2},
                       {QTime(14, 30), "Tomorrow", 0, 0, 0, Today.addDays(1)}},
                      QTime(14, 0));
        QCOMPARE(rig.DueSubjects(), (QStringList{"Dentist", "Daily pills", "Seen already",
                                                 "Morning, missed", "Ten minutes early"}));
        rig.TickAt(QTime(14, 28, 59));
        QVERIFY(rig.Shown().isEmpty());

        // The first tick after 14:29:00: two popups in one tick, one sound each; the entry
        // whose State is 1 leaves the list without either.
        rig.TickAt(QTime(14, 29, 0, 400));
        QCOMPARE(rig.Shown(), (QStringList{"Alert / Daily pills", "Reminder: / Dentist",
                                           "Reminder: / Ten minutes early"}));
        QCOMPARE(rig.Calendar.Platform.PlayedSounds, QStringList(3, QString::fromLatin1(Sound)));
        QCOMPARE(rig.DueSubjects(), QStringList{"Morning, missed"});

        // Nothing is alerted twice, and the store's own reminders keep their State.
        rig.TickAt(QTime(14, 29, 1, 400));
        QCOMPARE(rig.Calendar.Platform.PlayedSounds.size(), 3);
        const store::TDayPaper* paper = rig.Calendar.Core->DayPapers().FindDayPaper(DayCount(Today));
        QCOMPARE(paper->ReminderList.GetReminder(0).State, 0);
    }

    void missingSoundIsASilentAlert()
    {
        TAlertRig rig({{QTime(8, 15), "Bus"}}, QTime(8, 0));
        rig.Calendar.Platform.SoundPlayable = false;
        rig.TickAt(QTime(8, 15, 30));
        QCOMPARE(rig.Shown(), QStringList{"Reminder: / Bus"});
        QVERIFY(rig.DueSubjects().isEmpty());
    }

    void newDayRebuildsTheListAndMovesTheTodayMark()
    {
        const QDate tomorrow = Today.addDays(1);
        TAlertRig rig({{QTime(0, 0, 30), "Just after midnight", 0, 0, 0, tomorrow},
                       {QTime(23, 59, 50), "Late today"}},
                      QTime(23, 58));
        rig.TickAt(QTime(23, 59, 10));
        QCOMPARE(rig.Shown(), QStringList{"Reminder: / Late today"});
        rig.TickAt(QTime(0, 0, 1), tomorrow);
        QCOMPARE(rig.Shown(), (QStringList{"Reminder: / Just after midnight",
                                           "Reminder: / Late today"}));
        int marked = 0;
        for (const app::TDayItem& item : rig.Calendar.Form->DayGrid().Items()) {
            if (item.Today) {
                ++marked;
                QCOMPARE(item.Cell.Day, tomorrow.day());
            }
        }
        QCOMPARE(marked, 1);
    }

    void doubleClickOpensTheDayModallyAndUnderlinesItAfterTheSave()
    {
        TAlertRig rig({}, QTime(10, 0));
        TCalendarForm& form = *rig.Calendar.Form;
        store::TDayPaperList& papers = rig.Calendar.Core->DayPapers();
        QVERIFY(papers.FindDayPaper(DayCount(QDate(2025, 3, 20))) == nullptr);
        QString header;
        WhenModal<TNoteForm>([&](TNoteForm& editor) {
            header = editor.HeaderText();
            QVERIFY(!editor.parent());
            QTest::keyClicks(editor.NoteLine(0), QStringLiteral("dentist at nine"));
            editor.Image1Click();
        });
        emit form.DayOpened(QDate(2025, 3, 20));
        QCOMPARE(header, rig.HeaderOf(QDate(2025, 3, 20)));
        QVERIFY(header.endsWith(QLatin1String(" Thursday")));
        const store::TDayPaper* paper = papers.FindDayPaper(DayCount(QDate(2025, 3, 20)));
        QVERIFY(paper != nullptr);
        QCOMPARE(paper->Note.front(), std::string("dentist at nine"));
        QVERIFY(form.NoteDays().contains(QStringLiteral("20")));
    }

    void closingWithoutSavingKeepsTheNewEmptyPaper()
    {
        TAlertRig rig({}, QTime(10, 0));
        WhenModal<TNoteForm>([](TNoteForm& editor) { editor.Image2Click(); });
        emit rig.Calendar.Form->DayOpened(QDate(2025, 3, 3));
        const store::TDayPaper* paper =
            rig.Calendar.Core->DayPapers().FindDayPaper(DayCount(QDate(2025, 3, 3)));
        QVERIFY(paper != nullptr);
        QVERIFY(paper->Note.empty());
        QVERIFY(!rig.Calendar.Form->NoteDays().contains(QStringLiteral("3")));
    }

    void todayAndAlertOpenersDoNotWait()
    {
        TAlertRig rig({}, QTime(10, 0));
        TCalendarForm& form = *rig.Calendar.Form;
        QList<TNoteForm*> editors;
        connect(rig.Notes, &app::TDayNotes::EditorOpened, this,
                [&](TNoteForm* editor) { editors << editor; });
        form.NextMonthClick();
        rig.Notes->ShowTodayNote();
        rig.Notes->AlertFormURLClick(nullptr, QString());
        QCOMPARE(editors.size(), 2);
        QCOMPARE(editors[0]->HeaderText(), rig.HeaderOf(Today));
        QCOMPARE(editors[1]->HeaderText(), rig.HeaderOf(QDate(2025, 4, 1)));
        QCOMPARE(form.ShownDay(), 1);
        for (TNoteForm* editor : editors) {
            QVERIFY(editor->isVisible());
            QVERIFY(!editor->isModal());
        }
        // The calendar takes the editors it opened without waiting along when it goes.
        QPointer<TNoteForm> left = editors[1];
        rig.Calendar.Form.reset();
        QVERIFY(left.isNull());
    }
};

QTEST_MAIN(TestDayNotes)
#include "tst_daynotes.moc"
