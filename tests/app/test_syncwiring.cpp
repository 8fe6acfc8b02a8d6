// The syncs in the running program (a calendar on a fake desktop, the server's work faked):
// what a sync wrote is taken up at once and announced once; a save lays its change over what
// another writer put in the file meanwhile; subscribed calendars mark the calendar's days and
// show in the browser; the "Sync" page sets up the account and shows how the syncs go; the
// tray's tool tip tells offline and errors; a password the desktop does not keep is asked once.
#include "app/syncrunner.h"
#include "app/windowmanager.h"
#include "desktop/guiservices.h"
#include "notes/browsefrm.h"
#include "settings/settingfrm.h"
#include "settings/syncpage.h"
#include "store/daypaperlist.h"
#include "store/filesave.h"
#include "tests/support/calendarrig.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTest>

#include <atomic>

using namespace orvenna;
using namespace orvenna::test;

namespace {

const QDate OtherDay = Today.addDays(3);

std::string NotesWithLine(QDate day, const std::string& line)
{
    store::TDayPaperList list;
    store::TDayPaper& paper = list.AddDayPaper();
    paper.Day = DayCount(day);
    paper.Note = {line};
    return list.SaveToBytes();
}

void WriteFile(const std::string& file, const std::string& bytes)
{
    store::SaveFileAtomically(file, bytes);
}

// The server's side: each sync may write the notes file as the engine does.
struct TFakeWork {
    std::atomic<int> Syncs{0};
    std::atomic<ical::TSyncFailure> Failure{ical::TSyncFailure::None};
    std::string Arriving;  // notes file bytes a sync writes; empty: none
    QString Password;

    app::TSyncWork Work()
    {
        app::TSyncWork work;
        work.Sync = [this](const ical::TDavAccount& account, const ical::TSyncOptions& options) {
            ical::TSyncResult result;
            result.Failure = Failure;
            result.Error = "it failed";
            result.Collection = "http://server/u/cal/";
            Password = account.Password;
            if (!Arriving.empty() && result.Done()) {
                store::SaveFileAtomically(options.NotesFile, Arriving);
                result.NotesWritten = true;
                result.Received.Added = 1;
            }
            ++Syncs;
            return result;
        };
        work.Fetch = [](const QUrl&, const QByteArray&, const QByteArray&) {
            ical::THttpReply reply;
            reply.Status = 200;
            reply.Body = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\n"
                         "UID:x\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20250318\r\n"
                         "SUMMARY:Team day\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
            return reply;
        };
        return work;
    }
};

}  // namespace

class TestSyncWiring final : public QObject {
    Q_OBJECT

private:
    TFakeWork Fake;

    // A calendar whose program folder holds the account; started.
    TCalendarForm& Start(TCalendarRig& rig, const store::TSyncAccount& account)
    {
        store::SaveSyncAccount(rig.File(store::SyncAccountFileName), account);
        TCalendarForm& form = rig.Create();
        rig.Core->Sync().SetWork(Fake.Work());
        rig.Core->Start();
        return form;
    }
    static bool Idle(TCalendarRig& rig) { return !rig.Core->Sync().Status().Running; }

    // What the user does on the page while the dialog is open.
    void DriveSyncPage(settings::TSyncPage& page, QString& shownCalendar)
    {
        page.edtServer->setText(QStringLiteral("ftp://server/"));
        page.btnSyncNow->click();  // refused with a message, nothing saved
        page.edtServer->setText(QStringLiteral(" http://server/ "));
        page.edtUser->setText(QStringLiteral("anna"));
        page.edtPassword->setText(QStringLiteral("typed"));
        page.edtSubscriptions->setPlainText(QStringLiteral("webcal://feed.example/a.ics\n\n"));
        page.btnSyncNow->click();
        QTRY_COMPARE(Fake.Syncs.load(), 1);
        QTRY_VERIFY(page.btnSyncNow->isEnabled());
        QTRY_VERIFY(page.lbState->text().startsWith(QStringLiteral("Synced at")));
        shownCalendar = page.lbCalendar->text();
    }

private slots:
    void init()
    {
        Fake.Syncs = 0;
        Fake.Failure = ical::TSyncFailure::None;
        Fake.Arriving.clear();
    }

    void WhatArrivedIsTakenUpAtOnceAndNotSentBack()
    {
        TCalendarRig rig;
        Fake.Arriving = NotesWithLine(OtherDay, "from the phone");
        TCalendarForm& form = Start(rig, {"http://server/", "", "", {}});
        QSignalSpy changed(rig.Core.get(), &TAppCore::NotesChanged);
        QTRY_COMPARE(Fake.Syncs.load(), 1);
        // Taken up when the result arrives, not after the file watch's settling time.
        QTRY_VERIFY_WITH_TIMEOUT(form.DaysWithNotes().contains(QString::number(OtherDay.day())), 200);
        QCOMPARE(changed.size(), 1);
        QTest::qWait(app::TSyncSchedule::ChangeDelayMs / 10);
        rig.Clock.AdvanceMs(app::TSyncSchedule::ChangeLimitMs);
        rig.Core->Sync().Poll();
        QTest::qWait(100);
        QCOMPARE(Fake.Syncs.load(), 1);  // the take-up is no change to send
        QCOMPARE(changed.size(), 1);
    }

    void ASaveNeverWritesOverAnotherWritersFile()
    {
        TCalendarRig rig;
        Start(rig, {});
        store::TDayPaper& mine = rig.Core->DayPapers().AddDayPaper();
        mine.Day = DayCount(Today);
        mine.Note = {"typed"};
        QVERIFY(rig.Core->SaveNotes());
        // A sync writes the file (with another day, without today's); the program saves before
        // its watch looked: its change is laid over what the sync wrote.
        WriteFile(rig.File(app::NotesFileName), NotesWithLine(OtherDay, "arrived"));
        rig.Core->DayPapers().FindDayPaper(DayCount(Today))->Note.push_back("and mine");
        QVERIFY(rig.Core->SaveNotes());
        const auto savedNote = [&rig](QDate day) {
            store::TDayPaperList saved;
            saved.LoadFromFile(rig.File(app::NotesFileName));
            const store::TDayPaper* paper = saved.FindDayPaper(DayCount(day));
            return paper ? paper->Note : std::vector<std::string>{};
        };
        QCOMPARE(savedNote(OtherDay), std::vector<std::string>{"arrived"});
        QCOMPARE(savedNote(Today), std::vector<std::string>{"and mine"});
        QVERIFY(rig.Core->DayPapers().FindDayPaper(DayCount(OtherDay)) != nullptr);
        // Bytes that do not read are copied aside and told; the store's days stay.
        WriteFile(rig.File(app::NotesFileName), "\x05\x00\x00\x00garbage");
        rig.Core->DayPapers().FindDayPaper(DayCount(Today))->Note.push_back("more");
        QVERIFY(rig.Core->SaveNotes());
        QCOMPARE(rig.Errors.size(), 1);
        QVERIFY(rig.Errors[0].contains(QStringLiteral("2004.cal.damaged-")));
        QCOMPARE(savedNote(OtherDay), std::vector<std::string>{"arrived"});
        QCOMPARE(savedNote(Today), (std::vector<std::string>{"and mine", "more"}));
    }

    void SubscribedCalendarsMarkDaysAndShowInTheBrowser()
    {
        TCalendarRig rig;
        TCalendarForm& form = Start(rig, {"", "", "", {"https://feed.example/team.ics"}});
        QTRY_VERIFY(form.DaysWithNotes().contains(QStringLiteral("18")));
        QCOMPARE(Fake.Syncs.load(), 0);
        rig.Windows->Browse1Click();
        auto* browser = form.findChild<notes::TBrowseForm*>();
        QVERIFY(browser);
        QVERIFY(browser->NoteRows().back().Cells[1] == "Team day");
        // Removed from the page: gone from the marks and the browser.
        QCOMPARE(rig.Core->Sync().SetAccount({}), QString());
        QTRY_VERIFY(!form.DaysWithNotes().contains(QStringLiteral("18")));
        QTRY_COMPARE(browser->NoteRows().size(), std::size_t{2});
        browser->close();
    }

    void SyncPageSetsUpTheAccountAndShowsTheSyncs()
    {
        TCalendarRig rig;
        rig.Platform.TrayAvailable = true;
        Start(rig, {});
        desktop::TGUIAnswers answers;
        QString shownState;
        answers.Dialogs.push_back([&](QDialog& dialog) {
            settings::TSyncPage& page = *static_cast<settings::TSettingForm&>(dialog).SyncPage;
            DriveSyncPage(page, shownState);
            return settings::mrOk;
        });
        rig.Windows->Setting1Click();
        QCOMPARE(answers.Messages.size(), 1);
        QVERIFY(answers.Messages[0].contains(QStringLiteral("ftp://server/")));
        QCOMPARE(shownState, QStringLiteral("http://server/u/cal/"));
        QCOMPARE(Fake.Password, QStringLiteral("typed"));
        store::TSyncAccount saved;
        QCOMPARE(store::LoadSyncAccount(rig.File(store::SyncAccountFileName), saved), "");
        QCOMPARE(saved, (store::TSyncAccount{"http://server/", "anna", "", {"webcal://feed.example/a.ics"}}));
        QCOMPARE(Fake.Syncs.load(), 1);  // OK with nothing changed since: no second sync
        // The tray tells offline, then an error, once per kind.
        QSystemTrayIcon* tray = rig.Windows->TrayIcon();
        QVERIFY(tray);
        Fake.Failure = ical::TSyncFailure::Unreachable;
        rig.Core->Sync().SyncNow();
        QTRY_VERIFY(tray->toolTip().contains(QStringLiteral("Offline since")));
        QTRY_VERIFY(Idle(rig));
        Fake.Failure = ical::TSyncFailure::Server;
        for (int i = 0; i < 2; ++i) {
            rig.Core->Sync().SyncNow();
            QTRY_VERIFY(Idle(rig));
        }
        QTRY_COMPARE(tray->toolTip().count(QStringLiteral("it failed")), 1);
        QVERIFY(tray->toolTip().startsWith(QStringLiteral("Orvenna\n")));
    }

    void PasswordTheDesktopDoesNotKeepIsAskedOnce()
    {
        TCalendarRig rig;
        rig.Platform.SecretsAvailable = false;
        desktop::TGUIAnswers answers;
        int asked = 0;
        answers.Dialogs.push_back([&](QDialog& dialog) {
            ++asked;
            static_cast<QInputDialog&>(dialog).setTextValue(QStringLiteral("from the box"));
            return static_cast<int>(QDialog::Accepted);
        });
        Start(rig, {"http://server/", "anna", "", {}});
        QTRY_COMPARE(Fake.Syncs.load(), 1);
        QCOMPARE(Fake.Password, QStringLiteral("from the box"));
        rig.Core->Sync().SyncNow();
        QTRY_COMPARE(Fake.Syncs.load(), 2);
        QCOMPARE(asked, 1);
    }
};

QTEST_MAIN(TestSyncWiring)
#include "test_syncwiring.moc"
