// Day notes and reminder alerts on a calendar with a fake desktop and a clock the test moves:
// the reminder check tick by tick, the midnight rebuild, a late check, a clock set back, saves
// within a reminder's minute, and the three ways into the editor.
#include "app/alertbook.h"
#include "app/daygrid.h"
#include "app/windowmanager.h"
#include "desktop/guiservices.h"
#include "app/missedfrm.h"
#include "notes/notefrm.h"
#include "popup/slidepopupform.h"
#include "store/alertstate.h"
#include "store/daypaperlist.h"
#include "store/localetext.h"
#include "tests/support/calendarrig.h"
#include "tests/support/modaldriver.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <optional>

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
    TAlertRig(const QList<TReminderCase>& reminders, QTime now, QDate day = Today,
              const std::optional<store::TAlertState>& alerts = std::nullopt)
    {
        if (alerts)
            store::SaveAlertState(Calendar.File(app::AlertStateFileName), *alerts);
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
        Notes = Calendar.Windows;
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
    // The clock runs on to that time of today; the monotonic clock goes along.
    void RunTo(QTime time, QDate day = Today)
    {
        const double before = Calendar.Clock.Day;
        SetClock(day, time);
        if (Calendar.Clock.Day > before)
            Calendar.Clock.AdvanceMs(std::uint32_t(std::llround((Calendar.Clock.Day - before) * store::MSecsPerDay)));
    }
    // One tick of the reminder check at that time of today.
    void TickAt(QTime time, QDate day = Today)
    {
        RunTo(time, day);
        Calendar.Core->Timer1Timer();
    }
    // The computer wakes at that time: the wall clock moved, the monotonic clock did not, and
    // the system reports the resume.
    void WakeAt(QTime time, QDate day = Today)
    {
        SetClock(day, time);
        Calendar.Platform.ChangeClock();
        Calendar.Core->Timer1Timer();
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
    app::TAlertBook& Book() const { return Calendar.Core->Alerts(); }
    store::TAlertState SavedAlerts() const
    {
        store::TAlertState state;
        const std::string failure = store::LoadAlertState(Calendar.File(app::AlertStateFileName), state);
        if (!failure.empty())
            qWarning() << failure.c_str();
        return state;
    }
    // "time subject" of each row of the missed reminders' window; empty when it is not shown.
    QStringList Missed() const
    {
        QStringList rows;
        const app::TMissedForm* form = Calendar.Windows->MissedForm();
        if (form == nullptr || !form->isVisible())
            return rows;
        for (int i = 0; i < form->lvMissed->topLevelItemCount(); ++i)
            rows << form->lvMissed->topLevelItem(i)->text(1) + ' ' + form->lvMissed->topLevelItem(i)->text(2);
        return rows;
    }
    // The open popup saying the subject; null when none does.
    static popup::TfrmSlidePopUp* PopupOf(const QString& subject)
    {
        for (popup::TfrmSlidePopUp* popup : Popups())
            if (popup->lblText->text() == subject)
                return popup;
        return nullptr;
    }
    static void SlideIn(popup::TfrmSlidePopUp* popup)
    {
        while (popup->tmrScroll->isActive())
            popup->tmrScrollTimer();
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
    app::TWindowManager* Notes = nullptr;
};

// The subjects of the alerts a spy on TAlertBook::AlertDue saw, in order.
QStringList Subjects(const QSignalSpy& alerts)
{
    QStringList subjects;
    for (const QList<QVariant>& alert : alerts)
        subjects << QString::fromStdString(alert[0].value<store::TAlertItem>().Subject);
    return subjects;
}

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
        QCOMPARE(rig.Shown(), (QStringList{"Alert 02:30 PM / Daily pills", "Reminder: 02:30 PM / Dentist",
                                           "Reminder: 02:40 PM / Ten minutes early"}));
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
        QCOMPARE(rig.Shown(), QStringList{"Reminder: 08:15 AM / Bus"});
        QVERIFY(rig.DueSubjects().isEmpty());
    }

    void newDayRebuildsTheListAndMovesTheTodayMark()
    {
        const QDate tomorrow = Today.addDays(1);
        TAlertRig rig({{QTime(0, 0, 30), "Just after midnight", 0, 0, 0, tomorrow},
                       {QTime(23, 59, 50), "Late today"}},
                      QTime(23, 58));
        rig.TickAt(QTime(23, 59, 10));
        QCOMPARE(rig.Shown(), QStringList{"Reminder: 11:59 PM / Late today"});
        rig.TickAt(QTime(0, 0, 1), tomorrow);
        QCOMPARE(rig.Shown(), (QStringList{"Reminder: 11:59 PM / Late today",
                                           "Reminder: 12:00 AM / Just after midnight"}));
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

    // "E&xit" with editors open: what they hold unsaved is saved first; a save refused keeps
    // the program running with that editor, and an editor with nothing new writes nothing.
    void exitSavesWhatTheEditorsHold_data()
    {
        QTest::addColumn<QString>("line");      // typed on the note's first line; empty: none
        QTest::addColumn<QString>("time");      // typed in the first reminder row; empty: none
        QTest::addColumn<bool>("savedBefore");  // the editor's own save came after the typing
        QTest::addColumn<bool>("byTheSystem");  // the system asked the program to end, not "E&xit"
        QTest::addColumn<bool>("closed");       // the calendar closed
        QTest::addColumn<QStringList>("saved"); // the day in the file after the exit
        QTest::newRow("a line typed")
            << "dentist" << "" << false << false << true << QStringList{"dentist"};
        QTest::newRow("a reminder typed")
            << "" << "9:30 AM" << false << false << true << QStringList{"kept", "09:30 Call back"};
        QTest::newRow("nothing typed") << "" << "" << false << false << true << QStringList{"kept"};
        QTest::newRow("typed and saved before")
            << "dentist" << "" << true << false << true << QStringList{"dentist"};
        QTest::newRow("a time that cannot be read")
            << "dentist" << "9:75 AM" << false << false << false << QStringList{"kept"};
        QTest::newRow("at log-out")
            << "dentist" << "" << false << true << true << QStringList{"dentist"};
        QTest::newRow("at log-out, a time that cannot be read")
            << "dentist" << "9:75 AM" << false << true << false << QStringList{"kept"};
    }
    void exitSavesWhatTheEditorsHold()
    {
        QFETCH(QString, line);
        QFETCH(QString, time);
        QFETCH(bool, savedBefore);
        QFETCH(bool, byTheSystem);
        QFETCH(bool, closed);
        QFETCH(QStringList, saved);
        TAlertRig rig({}, QTime(10, 0));
        {
            store::TDayPaperList papers;
            store::TDayPaper& paper = papers.AddDayPaper();
            paper.Day = DayCount(Today.addDays(2));
            paper.Note = {"kept"};
            papers.SaveToFile(rig.Calendar.File("2004.cal"));
        }
        rig.Calendar.Create();
        rig.Notes = rig.Calendar.Windows;
        desktop::TGUIAnswers answers;
        TNoteForm* editor = nullptr;
        connect(rig.Notes, &app::TWindowManager::EditorOpened, this,
                [&](TNoteForm* opened) { editor = opened; });
        rig.Notes->ShowNoteOf(Today.addDays(2));
        QVERIFY(editor != nullptr);
        if (!line.isEmpty()) {
            editor->NoteLine(0)->selectAll();
            QTest::keyClicks(editor->NoteLine(0), line);
        }
        if (!time.isEmpty()) {
            editor->ReminderGrid()->SetCell(0, 1, time);
            editor->ReminderGrid()->SetCell(1, 1, QStringLiteral("Call back"));
        }
        if (savedBefore)
            QVERIFY(editor->SaveNote());
        QSignalSpy changed(rig.Calendar.Core.get(), &app::TAppCore::NotesChanged);
        QSignalSpy stopped(rig.Calendar.Core.get(), &app::TAppCore::Stopped);
        const QPointer<TNoteForm> open = editor;
        if (byTheSystem)
            rig.Calendar.Platform.RequestStop();
        else
            QCOMPARE(rig.Calendar.Form->close(), closed);
        QCOMPARE(stopped.size(), int(closed));
        QCOMPARE(changed.size(), int(!line.isEmpty() || !time.isEmpty()) * int(closed && !savedBefore));
        QCOMPARE(answers.Messages.size(), int(!closed));
        // No window of the program outlasts the calendar; a refused save keeps its editor.
        QCOMPARE(!open.isNull() && open->isVisible(), !closed);
        store::TDayPaperList file;
        file.LoadFromFile(rig.Calendar.File("2004.cal"));
        const store::TDayPaper* paper = file.FindDayPaper(DayCount(Today.addDays(2)));
        QVERIFY(paper != nullptr);
        QStringList texts;
        for (const std::string& note : paper->Note)
            if (!note.empty())
                texts << QString::fromStdString(note);
        for (int i = 0; i < paper->ReminderList.ReminderCount(); ++i) {
            const store::TReminder& r = paper->ReminderList.GetReminder(i);
            const QTime at = QTime(0, 0).addMSecs(qRound64((r.When - std::floor(r.When)) * store::MSecsPerDay));
            texts << at.toString(QStringLiteral("hh:mm ")) + QString::fromStdString(r.Subject);
        }
        QCOMPARE(texts, saved);
    }

    // Today's note has one editor: one open on today comes to the front with the focus, the
    // one the calendar waits on included; a new one opens beside another day's.
    void todaysNoteGoesToTheOneEditorOfToday_data()
    {
        QTest::addColumn<int>("open");     // days from today of an editor opened without waiting; 99: none
        QTest::addColumn<int>("waited");   // days from today of the editor the calendar waits on; 99: none
        QTest::addColumn<bool>("reused");  // today's note is the editor already open
        QTest::newRow("nothing open") << 99 << 99 << false;
        QTest::newRow("another day open") << 1 << 99 << false;
        QTest::newRow("today open") << 0 << 99 << true;
        QTest::newRow("the calendar waits on another day") << 99 << -2 << false;
        QTest::newRow("the calendar waits on today") << 99 << 0 << true;
    }
    void todaysNoteGoesToTheOneEditorOfToday()
    {
        QFETCH(int, open);
        QFETCH(int, waited);
        QFETCH(bool, reused);
        TAlertRig rig({}, QTime(10, 0));
        QList<TNoteForm*> editors;
        connect(rig.Notes, &app::TWindowManager::EditorOpened, this,
                [&](TNoteForm* editor) { editors << editor; });
        rig.Calendar.Form->NextMonthClick();  // the shown month plays no part
        if (open != 99) {
            rig.Notes->ShowNoteOf(Today.addDays(open));
            QVERIFY(QTest::qWaitForWindowActive(editors.last()));
        }
        QPointer<TNoteForm> today;
        bool madeNew = false;
        QString typedInto;
        const auto openToday = [&] {
            const qsizetype before = editors.size();
            rig.Notes->ShowTodayNote();
            madeNew = editors.size() > before;
            // What the user types next goes where the focus is.
            for (TNoteForm* editor : rig.Notes->Editors())
                if (editor->HeaderText() == rig.HeaderOf(Today))
                    today = editor;
            (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == today; }, 1000);
            if (QWidget* focus = QApplication::focusWidget())
                typedInto = static_cast<TNoteForm*>(focus->window())->HeaderText();
        };
        if (waited != 99) {
            WhenModal<TNoteForm>([&](TNoteForm& editor) {
                openToday();
                if (today != &editor)
                    delete today.data();
                editor.close();
            });
            emit rig.Calendar.Form->DayOpened(Today.addDays(waited));
        } else {
            openToday();
        }
        QCOMPARE(madeNew, !reused);
        QCOMPARE(typedInto, rig.HeaderOf(Today));
        for (TNoteForm* editor : rig.Notes->Editors())
            QVERIFY(!editor->isModal());
    }

    // A click on an alert's message opens the note holding the reminder, whatever the calendar
    // shows; a click without an alert opens nothing.
    void alertClickOpensTheRemindersDay_data()
    {
        QTest::addColumn<int>("day");         // the reminder's paper, days from today
        QTest::addColumn<int>("recurrency");  // store::rc...
        QTest::addColumn<int>("opened");      // days from today of the editor; 99: none
        QTest::newRow("today's reminder, next month shown") << 0 << int(store::rcNone) << 0;
        QTest::newRow("a daily reminder written three days ago") << -3 << int(store::rcDaily) << -3;
        QTest::newRow("no alert behind the click") << 0 << -1 << 99;
    }
    void alertClickOpensTheRemindersDay()
    {
        QFETCH(int, day);
        QFETCH(int, recurrency);
        QFETCH(int, opened);
        TAlertRig rig({{QTime(9, 0), "Standup", std::max(recurrency, 0), 0, 0, Today.addDays(day)}},
                      QTime(8, 0));
        QList<TNoteForm*> editors;
        connect(rig.Notes, &app::TWindowManager::EditorOpened, this,
                [&](TNoteForm* editor) { editors << editor; });
        rig.Calendar.Form->NextMonthClick();
        rig.TickAt(QTime(9, 0, 10));
        popup::TfrmSlidePopUp* popup = rig.PopupOf("Standup");
        QVERIFY(popup != nullptr);
        if (recurrency < 0)
            rig.Notes->AlertFormURLClick(rig.Calendar.Form.get(), QString());
        else
            QTest::mouseClick(popup->lblText, Qt::LeftButton);
        QCOMPARE(editors.size(), opened == 99 ? 0 : 1);
        if (opened != 99) {
            QCOMPARE(editors[0]->HeaderText(), rig.HeaderOf(Today.addDays(opened)));
            QVERIFY(editors[0]->isVisible());
            QVERIFY(!editors[0]->isModal());
            // The calendar takes the editors it opened without waiting along when it goes.
            QPointer<TNoteForm> left = editors[0];
            rig.Calendar.Form.reset();
            QVERIFY(left.isNull());
        }
    }

    void snoozeEndsAtTheChosenMoment_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("label");  // the entry of the snooze list
        QTest::addColumn<int>("before");
        QTest::addColumn<double>("clicked");  // minutes after the alert's moment
        QTest::addColumn<double>("ends");     // minutes after the alert's moment; -1: none
        const QString untilItStarts = QStringLiteral("Until it starts");
        QTest::newRow("1 minute") << 0 << "1 minute" << 0 << 0.0 << 1.0;
        QTest::newRow("5 minutes, clicked 3 minutes late") << 1 << "5 minutes" << 0 << 3.0 << 8.0;
        QTest::newRow("10 minutes") << 2 << "10 minutes" << 0 << 0.0 << 10.0;
        QTest::newRow("15 minutes") << 3 << "15 minutes" << 0 << 0.0 << 15.0;
        QTest::newRow("30 minutes") << 4 << "30 minutes" << 0 << 0.0 << 30.0;
        QTest::newRow("1 hour") << 5 << "1 hour" << 0 << 0.0 << 60.0;
        QTest::newRow("until it starts, 10 minutes ahead") << 6 << untilItStarts << 2 << 2.0 << 10.0;
        QTest::newRow("until it starts, a day ahead") << 6 << untilItStarts << 6 << 0.0 << 1440.0;
        QTest::newRow("until it starts, no lead time") << 6 << untilItStarts << 0 << 0.0 << -1.0;
        QTest::newRow("until it starts, already started") << 6 << untilItStarts << 1 << 6.0 << -1.0;
        QTest::newRow("not in the list") << 7 << QString() << 2 << 0.0 << -1.0;
    }
    void snoozeEndsAtTheChosenMoment()
    {
        QFETCH(int, choice);
        QFETCH(QString, label);
        QFETCH(int, before);
        QFETCH(double, clicked);
        QFETCH(double, ends);
        QCOMPARE(app::SnoozeChoices().value(choice), label);
        const double moment = DayCount(Today) + 0.5;
        const store::TAlertItem alert{moment, DayCount(Today), moment, before, 0, "Bus"};
        const auto end = app::SnoozeEnd(alert, choice, moment + clicked / 1440);
        QCOMPARE(end.has_value(), ends >= 0);
        if (end)
            QCOMPARE(std::lround((*end - moment) * 1440 * 60), std::lround(ends * 60));
    }

    // A snooze of the last run, of "Dentist" at 9:30 some days before this start at noon.
    void snoozesOfTheLastRun_data()
    {
        QTest::addColumn<int>("day");          // the reminder's day, from today
        QTest::addColumn<double>("lastCheck");  // hours from that day's 9:30
        QTest::addColumn<double>("until");      // hours from that day's 9:30
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("missed");
        QTest::newRow("still running: neither missed nor shown yet")
            << 0 << -0.5 << 3.0 << false << QStringList();
        QTest::newRow("ended while off: shown, not missed") << 0 << -0.5 << 1.5 << true << QStringList();
        QTest::newRow("ended six days before: shown") << -6 << 0.5 << 1.0 << true << QStringList();
        QTest::newRow("ended eight days before: gone") << -8 << 0.5 << 1.0 << false << QStringList();
        QTest::newRow("not snoozed: missed")
            << 0 << -0.5 << -1.0 << false << QStringList{"09:30 AM Dentist"};
    }
    void snoozesOfTheLastRun()
    {
        QFETCH(int, day);
        QFETCH(double, lastCheck);
        QFETCH(double, until);
        QFETCH(bool, shown);
        QFETCH(QStringList, missed);
        const QDate reminderDay = Today.addDays(day);
        const double moment = DayCount(reminderDay) + QTime(9, 30).msecsSinceStartOfDay() / store::MSecsPerDay;
        store::TAlertState lastRun;
        lastRun.LastCheck = moment + lastCheck / 24;
        if (until >= 0)
            lastRun.Snoozes.push_back({moment + until / 24, {moment, DayCount(reminderDay), moment, 0, 0, "Dentist"}});
        TAlertRig rig({{QTime(9, 30), "Dentist", 0, 0, 0, reminderDay}}, QTime(12, 0), Today, lastRun);
        rig.Calendar.Core->Start();
        rig.TickAt(QTime(12, 0, 1));
        QCOMPARE(rig.PopupOf("Dentist") != nullptr, shown);
        QCOMPARE(rig.Missed(), missed);
    }

    void snoozedAlertComesBackAcrossMidnightAndARestart()
    {
        const QDate tomorrow = Today.addDays(1);
        TAlertRig rig({{QTime(23, 58), "Call Ann"}}, QTime(23, 50));
        rig.Book().Start();
        rig.TickAt(QTime(23, 57, 30));
        popup::TfrmSlidePopUp* popup = rig.PopupOf("Call Ann");
        QVERIFY(popup != nullptr);
        QCOMPARE(popup->ActionButtons().size(), std::size_t(2));
        // Without a lead time there is no start to wait for.
        QVERIFY(popup->ActionButtons()[0]->menu()->actions().last()->text() != QString("Until it starts"));
        popup->ActionChosen(0, 1);  // 5 minutes
        QVERIFY(rig.PopupOf("Call Ann") == nullptr);
        const store::TAlertState saved = rig.SavedAlerts();
        QCOMPARE(saved.Snoozes.size(), std::size_t(1));
        QCOMPARE(saved.Snoozes[0].Alert.Subject, std::string("Call Ann"));
        QCOMPARE(QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(std::llround(saved.Snoozes[0].Until * store::MSecsPerDay)),
                 QDateTime(tomorrow, QTime(0, 2, 30)));

        rig.TickAt(QTime(0, 2, 29), tomorrow);
        QVERIFY(rig.PopupOf("Call Ann") == nullptr);
        // The program ends and starts again before the snooze is over.
        rig.Calendar.Core->Close(QPoint(10, 10));
        rig.Calendar.Create();
        rig.Notes = rig.Calendar.Windows;
        rig.Book().Start();
        QVERIFY(rig.Missed().isEmpty());
        rig.TickAt(QTime(0, 2, 31), tomorrow);
        QVERIFY(rig.PopupOf("Call Ann") != nullptr);
        QCOMPARE(rig.Calendar.Platform.PlayedSounds.size(), 2);
        QVERIFY(rig.SavedAlerts().Snoozes.empty());
    }

    void acknowledgedAlertStaysUntilDismissed_data()
    {
        QTest::addColumn<bool>("stay");
        QTest::newRow("slides away") << false;
        QTest::newRow("stays") << true;
    }
    void acknowledgedAlertStaysUntilDismissed()
    {
        QFETCH(bool, stay);
        store::TAlertState choices;
        choices.StayUntilDismissed = stay;
        TAlertRig rig({{QTime(9, 0), "Standup", 0, 0, 2}}, QTime(8, 0), Today, choices);
        rig.TickAt(QTime(8, 50));
        popup::TfrmSlidePopUp* popup = rig.PopupOf("Standup");
        QVERIFY(popup != nullptr);
        rig.SlideIn(popup);
        QCOMPARE(popup->tmrExit->isActive(), !stay);
        // A reminder with a lead time may be put off until it starts.
        QCOMPARE(popup->ActionButtons()[0]->menu()->actions().last()->text(), QString("Until it starts"));
        popup->ActionButtons()[1]->click();  // "Dismiss"
        QVERIFY(rig.PopupOf("Standup") == nullptr);
        QVERIFY(rig.Book().State().Snoozes.empty());
    }

    void missedRemindersAreListedAtStartAndAfterASleep()
    {
        store::TAlertState lastRun;
        lastRun.LastCheck = DayCount(Today) + QTime(9, 0).msecsSinceStartOfDay() / store::MSecsPerDay;
        TAlertRig rig({{QTime(9, 30), "Dentist"},
                       {QTime(10, 0), "Pills", 1, 0, 0, Today.addDays(-3)},
                       {QTime(11, 0), "Seen already", 0, 1},
                       {QTime(12, 10), "Standup"},
                       {QTime(13, 0), "Lunch order"},
                       {QTime(14, 0, 30), "Call back"},
                       {QTime(14, 20), "Skipped by the test's ticks"},
                       {QTime(15, 0), "Later"}},
                      QTime(12, 0), Today, lastRun);
        // Off from 9:00 to 12:00.
        rig.Calendar.Core->Start();
        QCOMPARE(rig.Missed(), (QStringList{"09:30 AM Dentist", "10:00 AM Pills"}));
        QCOMPARE(rig.SavedAlerts().LastCheck, rig.Calendar.Clock.Day);
        QList<TNoteForm*> editors;
        connect(rig.Notes, &app::TWindowManager::EditorOpened, this,
                [&](TNoteForm* editor) { editors << editor; });
        app::TMissedForm& form = *rig.Calendar.Windows->MissedForm();
        form.lvMissed->setCurrentItem(form.lvMissed->topLevelItem(1));
        form.btnOpenClick();
        QCOMPARE(editors.size(), 1);
        QCOMPARE(editors[0]->HeaderText(), rig.HeaderOf(Today.addDays(-3)));
        form.btnDismissClick();
        QCOMPARE(rig.Missed(), QStringList{"09:30 AM Dentist"});
        form.btnDismissAllClick();
        QVERIFY(rig.Missed().isEmpty());

        // Asleep from 12:00:01 to 14:00:05, the monotonic clock standing still, until the
        // system reports the resume: what fell due in between is listed, what is due now alerts.
        rig.TickAt(QTime(12, 0, 1));
        rig.WakeAt(QTime(12, 0, 50));  // less than a minute ahead of the monotonic clock
        rig.WakeAt(QTime(14, 0, 5));
        QCOMPARE(rig.Missed(), (QStringList{"12:10 PM Standup", "01:00 PM Lunch order"}));
        // Checks far apart while the monotonic clock goes along are no jump.
        rig.Calendar.Windows->MissedForm()->btnDismissAllClick();
        rig.TickAt(QTime(14, 40));
        QVERIFY(rig.Missed().isEmpty());
        QCOMPARE(rig.Shown(), QStringList{"Reminder: 02:00 PM / Call back"});
        for (TNoteForm* editor : editors)
            delete editor;
    }

    // The reminder check ran late (the process was stopped, starved or suspended): what fell
    // due while nothing looked is listed, what is due now alerts, nothing is lost.
    void lateCheckListsWhatPassedUnseen_data()
    {
        QTest::addColumn<bool>("firstAlerted");  // "Early" alerted before the stop
        QTest::addColumn<QTime>("resumed");
        QTest::addColumn<QStringList>("missed");
        QTest::addColumn<QStringList>("alerted");
        QTest::newRow("stopped over both")
            << false << QTime(10, 25) << QStringList{"10:05 AM Early", "10:20 AM Call"}
            << QStringList{};
        QTest::newRow("one alerted, stopped over the other")
            << true << QTime(10, 25) << QStringList{"10:20 AM Call"} << QStringList{"Early"};
        QTest::newRow("resumed within the second's minute")
            << true << QTime(10, 20, 30) << QStringList{} << QStringList{"Early", "Call"};
        QTest::newRow("on time") << false << QTime(10, 4, 0, 500) << QStringList{}
                                 << QStringList{"Early"};
    }
    void lateCheckListsWhatPassedUnseen()
    {
        QFETCH(bool, firstAlerted);
        QFETCH(QTime, resumed);
        QFETCH(QStringList, missed);
        QFETCH(QStringList, alerted);
        TAlertRig rig({{QTime(10, 5), "Early"}, {QTime(10, 20), "Call"}}, QTime(10, 0));
        QSignalSpy alerts(&rig.Book(), &app::TAlertBook::AlertDue);
        rig.Calendar.Core->Start();  // armed for 10:04:00.001
        if (firstAlerted)
            rig.TickAt(QTime(10, 4, 30));
        // Both clocks ran on while the process stood still; the timer then fires late.
        rig.RunTo(resumed);
        QTimer& timer = rig.Calendar.Core->findChild<app::TAlarmTimer*>()->Timer();
        QVERIFY(QMetaObject::invokeMethod(&timer, "timeout"));
        QCOMPARE(rig.Missed(), missed);
        QCOMPARE(Subjects(alerts), alerted);
        // The last check noted is never past a reminder neither alerted nor listed.
        QCOMPARE(rig.SavedAlerts().LastCheck, rig.Calendar.Clock.Day);
    }

    // The clock set back (by hand, or by a time server) brings back moments this run has
    // alerted already: none alerts twice; what has not alerted yet still does.
    void clockSetBackAlertsNothingTwice_data()
    {
        QTest::addColumn<int>("recurrency");
        QTest::addColumn<int>("daysBack");  // set back to 23:29 of that many days before
        QTest::newRow("one-off, back across midnight") << 0 << 1;
        QTest::newRow("daily, back across midnight") << 1 << 1;
        QTest::newRow("one-off, back two days") << 0 << 2;
    }
    void clockSetBackAlertsNothingTwice()
    {
        QFETCH(int, recurrency);
        QFETCH(int, daysBack);
        TAlertRig rig({{QTime(0, 29), "Night call", recurrency}, {QTime(0, 40), "Later"}},
                      QTime(0, 20));
        QSignalSpy alerts(&rig.Book(), &app::TAlertBook::AlertDue);
        rig.Calendar.Core->Start();
        rig.TickAt(QTime(0, 28, 30));
        QCOMPARE(alerts.size(), 1);
        rig.WakeAt(QTime(23, 29), Today.addDays(-daysBack));
        for (int day = daysBack - 1; day > 0; --day)
            rig.TickAt(QTime(12, 0), Today.addDays(-day));
        rig.TickAt(QTime(0, 28, 30));
        rig.TickAt(QTime(0, 39, 30));
        QCOMPARE(Subjects(alerts), (QStringList{"Night call", "Later"}));
    }

    // The program's own save in the minute before a reminder rebuilds the day's list: an alert
    // shown (and dismissed) in this run does not come back, as after another program's write.
    void saveWithinTheMinuteBringsNoAlertBack_data()
    {
        QTest::addColumn<QString>("save");
        QTest::addColumn<QStringList>("alerted");
        QTest::newRow("another day's note saved") << "note" << QStringList{"Call"};
        QTest::newRow("today's editor saved") << "editor" << QStringList{"Call"};
        QTest::newRow("written by another program") << "outside" << QStringList{"Call"};
        // Another reminder now: it alerts.
        QTest::newRow("the reminder's subject changed") << "subject" << QStringList{"Call", "Call back"};
    }
    void saveWithinTheMinuteBringsNoAlertBack()
    {
        QFETCH(QString, save);
        QFETCH(QStringList, alerted);
        TAlertRig rig({{QTime(10, 20), "Call"}}, QTime(10, 0));
        QSignalSpy alerts(&rig.Book(), &app::TAlertBook::AlertDue);
        rig.TickAt(QTime(10, 19, 30));
        popup::TfrmSlidePopUp* popup = rig.PopupOf("Call");
        QVERIFY(popup != nullptr);
        popup->ActionButtons()[1]->click();  // "Dismiss"
        rig.SetClock(Today, QTime(10, 19, 40));
        app::TAppCore& core = *rig.Calendar.Core;
        store::TDayPaper& paper = *core.DayPapers().FindDayPaper(DayCount(Today));
        if (save == QLatin1String("note")) {
            store::TDayPaper& other = core.DayPapers().AddDayPaper();
            other.Day = DayCount(Today.addDays(2));
            other.Note = {"saved meanwhile"};
            QVERIFY(core.SaveNotes());
        } else if (save == QLatin1String("editor")) {
            TNoteForm* editor = nullptr;
            connect(rig.Notes, &app::TWindowManager::EditorOpened, this,
                    [&](TNoteForm* opened) { editor = opened; });
            rig.Notes->ShowTodayNote();
            QVERIFY(editor != nullptr);
            QTest::keyClicks(editor->NoteLine(0), QStringLiteral("typed"));
            QVERIFY(editor->SaveNote());
            delete editor;
        } else {
            paper.Note = {"changed"};
            if (save == QLatin1String("subject"))
                paper.ReminderList.GetReminder(0).Subject = "Call back";
            if (save == QLatin1String("outside"))
                QCOMPARE(core.TakeUpNotesFile(core.DayPapers().SaveToBytes()), QString());
            else
                QVERIFY(core.SaveNotes());
        }
        rig.TickAt(QTime(10, 19, 50));
        QCOMPARE(Subjects(alerts), alerted);
    }

    void alertWithoutRoomOnScreenJoinsTheMissed()
    {
        QList<TReminderCase> reminders;
        const char* subjects[] = {"A", "B", "C", "D", "E", "F", "G", "H"};
        for (const char* subject : subjects)
            reminders << TReminderCase{QTime(14, 30), subject};
        store::TAlertState choices;
        choices.StayUntilDismissed = true;
        TAlertRig rig(reminders, QTime(14, 0), Today, choices);
        rig.TickAt(QTime(14, 30));
        // Every alert is either on screen or in the list, none lost.
        const int shown = rig.Popups().size();
        QVERIFY(shown >= 1 && shown < 8);
        QCOMPARE(rig.Missed().size(), 8 - shown);
    }

    // The check a start notes is written once the calendar has painted, never before; a file
    // that holds what would be written stays as it was.
    void startNotesItsCheckAfterTheFirstPaint_data()
    {
        QTest::addColumn<int>("minutesAgo");  // of the last check; -1: no file yet
        QTest::addColumn<bool>("written");
        QTest::newRow("checked at this very moment") << 0 << false;
        QTest::newRow("checked an hour ago") << 60 << true;
        QTest::newRow("no file yet") << -1 << true;
    }
    void startNotesItsCheckAfterTheFirstPaint()
    {
        QFETCH(int, minutesAgo);
        QFETCH(bool, written);
        std::optional<store::TAlertState> lastRun;
        if (minutesAgo >= 0) {
            lastRun.emplace();
            lastRun->LastCheck = DayCount(Today) + QTime(12, 0).addSecs(-60 * minutesAgo).msecsSinceStartOfDay() / store::MSecsPerDay;
        }
        TAlertRig rig({}, QTime(12, 0), Today, lastRun);
        rig.Calendar.Platform.TrayAvailable = true;  // the icon comes after the same paint
        const std::string file = rig.Calendar.File(app::AlertStateFileName);
        const std::optional<store::TFileStamp> before = store::FileStampOf(file);
        rig.Calendar.Form->Start();
        QCOMPARE(store::FileStampOf(file), before);
        QTRY_VERIFY(rig.Notes->TrayIcon() != nullptr);
        QCOMPARE(store::FileStampOf(file) != before, written);
        QCOMPARE(rig.SavedAlerts().LastCheck, rig.Calendar.Clock.Day);
    }

    void damagedSideFileIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("bad switch") << QByteArray("Orvenna alerts 1\nStayUntilDismissed=yes\nEnd\n");
        QTest::newRow("later version") << QByteArray("Orvenna alerts 9\nEnd\n");
        QTest::newRow("binary") << QByteArray("\0\xff\x01TPF0", 7);
    }
    void damagedSideFileIsIgnored()
    {
        QFETCH(QByteArray, contents);
        TAlertRig rig({{QTime(9, 30), "Dentist"}}, QTime(12, 0));
        QFile file(rig.Calendar.Folder + app::AlertStateFileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Alerts.dat\" is damaged"));
        rig.Calendar.Create();
        rig.Notes = rig.Calendar.Windows;
        QCOMPARE(rig.Book().State(), store::TAlertState{});
        rig.Calendar.Core->Start();
        QVERIFY(rig.Missed().isEmpty());
        QCOMPARE(rig.SavedAlerts().LastCheck, rig.Calendar.Clock.Day);
    }
};

QTEST_MAIN(TestDayNotes)
#include "test_daynotes.moc"
