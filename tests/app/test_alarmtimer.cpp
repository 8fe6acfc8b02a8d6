// The reminder timer on a calendar with a fake desktop and a clock the test moves: armed for the
// right moment after each kind of change, taken again after each expiry, and the moments that
// passed unseen (a jump of the wall clock, a late expiry) told apart from its plain running.
#include "app/alarmtimer.h"
#include "app/alertbook.h"
#include "popup/slidepopupform.h"
#include "store/daypaperlist.h"
#include "tests/support/calendarrig.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace orvenna;
using namespace orvenna::test;

namespace {

constexpr double MsPerDay = store::MSecsPerDay;

double At(QTime time, QDate day = Today)
{
    return DayCount(day) + time.msecsSinceStartOfDay() / MsPerDay;
}

void AddReminder(store::TDayPaperList& papers, QTime time, const char* subject = "Call")
{
    store::TDayPaper* paper = papers.FindDayPaper(DayCount(Today));
    if (paper == nullptr) {
        paper = &papers.AddDayPaper();
        paper->Day = DayCount(Today);
    }
    store::TReminder& r = paper->ReminderList.AddReminder();
    r.When = At(time);
    r.Subject = subject;
}

// A started calendar whose notes file holds one-off reminders of today at the given times.
struct TTimerRig {
    TTimerRig(const QList<QTime>& reminders, QTime now)
    {
        store::TDayPaperList papers;
        for (QTime time : reminders)
            AddReminder(papers, time);
        papers.SaveToFile(Calendar.File("2004.cal"));
        Calendar.Clock.Day = At(now);
        Calendar.Create().Start();
    }
    ~TTimerRig()
    {
        // Deleting one popup may take others along: hold them by guarded pointers.
        QList<QPointer<QWidget>> popups;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<popup::TfrmSlidePopUp*>(window))
                popups << window;
        for (const QPointer<QWidget>& popup : popups)
            delete popup.data();
    }
    app::TAppCore& Core() { return *Calendar.Core; }
    QTimer& Timer() { return Core().findChild<app::TAlarmTimer*>()->Timer(); }

    TCalendarRig Calendar;
};

}  // namespace

class TestAlarmTimer final : public QObject {
    Q_OBJECT

private slots:
    void armedForTheNextMomentAfterEachChange_data()
    {
        QTest::addColumn<QList<QTime>>("reminders");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QTime>("now");     // the clock when the change comes
        QTest::addColumn<QTime>("moment");  // the reminder or source the change adds
        QTest::addColumn<int>("expected");  // milliseconds armed

        const QList<QTime> none;
        const QList<QTime> at1020{QTime(10, 20)};
        QTest::newRow("nothing due: the next half hour")
            << none << QTime(10, 10) << "start" << QTime(10, 10) << QTime() << 20 * 60000;
        QTest::newRow("a reminder ahead: less than a minute before its time")
            << at1020 << QTime(10, 10) << "start" << QTime(10, 10) << QTime() << 9 * 60000 + 1;
        QTest::newRow("a reminder of this minute: at once")
            << QList<QTime>{QTime(10, 10, 30)} << QTime(10, 10) << "start" << QTime(10, 10)
            << QTime() << 0;
        QTest::newRow("a reminder that passed is no moment")
            << QList<QTime>{QTime(10, 5)} << QTime(10, 10) << "start" << QTime(10, 10) << QTime()
            << 20 * 60000;
        QTest::newRow("late evening: midnight")
            << none << QTime(23, 50) << "start" << QTime(23, 50) << QTime() << 10 * 60000;
        QTest::newRow("notes saved with a new reminder")
            << at1020 << QTime(10, 10) << "notes" << QTime(10, 10) << QTime(10, 15) << 4 * 60000 + 1;
        QTest::newRow("settings applied: from the clock's time then")
            << none << QTime(10, 10) << "settings" << QTime(10, 25) << QTime() << 5 * 60000;
        QTest::newRow("system time set: from the new time")
            << at1020 << QTime(10, 10) << "clock" << QTime(10, 18, 30) << QTime() << 30001;
        QTest::newRow("resumed past the reminder")
            << at1020 << QTime(10, 10) << "clock" << QTime(10, 21) << QTime() << 9 * 60000;
        QTest::newRow("a moment of another unit")
            << at1020 << QTime(10, 10) << "source" << QTime(10, 10) << QTime(10, 12) << 2 * 60000;
        QTest::newRow("an alert snoozed: its end")
            << at1020 << QTime(10, 10) << "snooze" << QTime(10, 11) << QTime(10, 16) << 5 * 60000;
        QTest::newRow("nothing armed anew without a change")
            << at1020 << QTime(10, 10) << "none" << QTime(10, 25) << QTime() << 9 * 60000 + 1;
    }
    void armedForTheNextMomentAfterEachChange()
    {
        QFETCH(QList<QTime>, reminders);
        QFETCH(QTime, start);
        QFETCH(QString, change);
        QFETCH(QTime, now);
        QFETCH(QTime, moment);
        QFETCH(int, expected);
        TTimerRig rig(reminders, start);
        rig.Calendar.Clock.Day = At(now);
        if (change == QLatin1String("notes")) {
            AddReminder(rig.Core().DayPapers(), moment);
            QVERIFY(rig.Core().SaveNotes());
        } else if (change == QLatin1String("settings")) {
            rig.Core().ApplySettings();
        } else if (change == QLatin1String("clock")) {
            rig.Calendar.Platform.ChangeClock();
        } else if (change == QLatin1String("source")) {
            rig.Core().AddMomentSource(this, [moment] { return std::optional<double>(At(moment)); });
            rig.Core().Rearm();
        } else if (change == QLatin1String("snooze")) {
            const double alerted = At(QTime(10, 0));
            rig.Core().Alerts().Snooze({alerted, DayCount(Today), alerted, 0, 0, "Call"}, At(moment));
        }
        QVERIFY(rig.Timer().isActive());
        QCOMPARE(rig.Timer().interval(), expected);
    }

    void expiryAlertsAndArmsForTheNextMoment()
    {
        TTimerRig rig({QTime(10, 20), QTime(10, 21)}, QTime(10, 19, 0, 1));
        // Due at once; once the check has taken it, the next reminder's minute comes next.
        QTRY_COMPARE(rig.Timer().interval(), 60000);
        QCOMPARE(rig.Core().DayPapers().TodayList().ReminderCount(), 1);
    }

    void aMomentNobodyTakesIsLookedAtOnceASecond()
    {
        TTimerRig rig({}, QTime(10, 0));
        bool stale = true;
        QObject owner;
        rig.Core().AddMomentSource(&owner, [&stale] {
            return stale ? std::optional<double>(At(QTime(9, 0))) : std::nullopt;
        });
        rig.Core().Rearm();
        QCOMPARE(rig.Timer().interval(), 0);
        // Looked at again a second later, not at once over and over.
        QTRY_COMPARE(rig.Timer().interval(), 1000);
        stale = false;
        rig.Core().Rearm();
        QCOMPARE(rig.Timer().interval(), 30 * 60000);
    }

    void sourceGoesWithItsOwner()
    {
        TTimerRig rig({}, QTime(10, 0));
        {
            QObject owner;
            rig.Core().AddMomentSource(&owner, [] { return std::optional<double>(At(QTime(10, 5))); });
            rig.Core().Rearm();
            QCOMPARE(rig.Timer().interval(), 5 * 60000);
        }
        rig.Core().Rearm();
        QCOMPARE(rig.Timer().interval(), 30 * 60000);
    }

    void closeStopsTheTimer()
    {
        TTimerRig rig({}, QTime(10, 0));
        rig.Core().Close(QPoint(0, 0));
        rig.Core().Rearm();
        rig.Calendar.Platform.ChangeClock();
        QVERIFY(!rig.Timer().isActive());
    }

    void momentsPassedUnseenAreReported_data()
    {
        // At 10:00 with nothing due the timer is armed for 10:30.
        QTest::addColumn<int>("wallMs");
        QTest::addColumn<int>("tickMs");
        QTest::addColumn<int>("fromMs");  // where the unseen moments begin, from 10:00; 1: none
        constexpr int None = 1;
        constexpr int LookBack = -2 * 60000;  // a late timer: from two minutes before its last look
        QTest::newRow("slept two hours, past the armed moment") << 7200000 << 1000 << LookBack;
        QTest::newRow("time set five minutes ahead") << 300000 << 0 << 0;
        QTest::newRow("plain running") << 600000 << 600000 << None;
        QTest::newRow("half a minute ahead") << 30000 << 0 << None;
        QTest::newRow("time set an hour back") << -3600000 << 0 << None;
        QTest::newRow("stopped past the armed moment") << 2400000 << 2400000 << LookBack;
        QTest::newRow("stopped, armed moment two seconds ago") << 1802000 << 1802000 << LookBack;
        QTest::newRow("stopped, armed moment half a second ago") << 1800500 << 1800500 << None;
        QTest::newRow("stopped, woken before the armed moment") << 1740000 << 1740000 << None;
    }
    void momentsPassedUnseenAreReported()
    {
        QFETCH(int, wallMs);
        QFETCH(int, tickMs);
        QFETCH(int, fromMs);
        TTimerRig rig({}, QTime(10, 0));
        QSignalSpy unseen(&rig.Core(), &app::TAppCore::PassedUnseen);
        rig.Calendar.Clock.Day += wallMs / MsPerDay;
        rig.Calendar.Clock.AdvanceMs(static_cast<std::uint32_t>(tickMs));
        rig.Calendar.Platform.ChangeClock();
        QCOMPARE(unseen.size(), fromMs == 1 ? 0 : 1);
        if (fromMs != 1) {
            QCOMPARE(qRound64(unseen[0][0].toDouble() * MsPerDay), qRound64(At(QTime(10, 0)) * MsPerDay) + fromMs);
            QCOMPARE(unseen[0][1].toDouble(), rig.Calendar.Clock.Day);
        }
        // Told once: the next look starts from the new time.
        rig.Core().Rearm();
        QCOMPARE(unseen.size(), fromMs == 1 ? 0 : 1);
    }

    void nextDueMomentAndHalfHour_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QTime>("reminder");
        QTest::addColumn<int>("dueInMs");  // -1: none today
        QTest::addColumn<int>("halfHourInMs");
        QTest::newRow("ahead") << QTime(14, 0) << QTime(14, 30) << 29 * 60000 + 1 << 30 * 60000;
        QTest::newRow("inside the minute before") << QTime(14, 29, 30) << QTime(14, 30) << 0 << 30000;
        QTest::newRow("59 s late") << QTime(14, 30, 59) << QTime(14, 30) << 0 << 29 * 60000 + 1000;
        QTest::newRow("a minute late") << QTime(14, 31) << QTime(14, 30) << -1 << 29 * 60000;
        QTest::newRow("on the half hour") << QTime(14, 30) << QTime(23, 59) << 34080001 << 30 * 60000;
        QTest::newRow("just before midnight") << QTime(23, 59, 59, 999) << QTime(0, 0) << -1 << 1;
    }
    void nextDueMomentAndHalfHour()
    {
        QFETCH(QTime, now);
        QFETCH(QTime, reminder);
        QFETCH(int, dueInMs);
        QFETCH(int, halfHourInMs);
        const double clock = At(now);
        // Another day's reminder time: only the time of day counts.
        const std::optional<double> due = app::NextDueMoment(clock, At(reminder, Today.addDays(-9)));
        QCOMPARE(due.has_value(), dueInMs >= 0);
        if (due)
            QCOMPARE(qRound64((*due - clock) * MsPerDay), dueInMs);
        QCOMPARE(qRound64((app::NextHalfHour(clock) - clock) * MsPerDay), halfHourInMs);
    }
};

QTEST_MAIN(TestAlarmTimer)
#include "test_alarmtimer.moc"
