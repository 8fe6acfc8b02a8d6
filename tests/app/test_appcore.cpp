// The program's state apart from its windows (TAppCore) on the offscreen platform: loading and
// writing its data files, what it announces, the tray icon and the hot key, the reminder timer.
#include "tests/support/calendarrig.h"

#include "app/alertbook.h"
#include "app/filedigest.h"
#include "store/alertstate.h"
#include "store/daypaperlist.h"
#include "store/daypapers.h"
#include "store/filelock.h"
#include "store/filesave.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <future>
#include <thread>

using namespace orvenna;
using namespace orvenna::app;
using namespace orvenna::test;
using TRig = orvenna::test::TCalendarRig;

class TAppCoreTest final : public QObject {
    Q_OBJECT

private slots:
    // The icon comes after the calendar's first paint (or, for a calendar that gets none, after
    // a wait), and only where the desktop has a tray.
    void trayIconOnlyWhereTheDesktopHasATray_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("painted");
        QTest::newRow("tray host running") << true << true;
        QTest::newRow("no tray host") << false << true;
        QTest::newRow("calendar never painted") << true << false;
    }

    void trayIconOnlyWhereTheDesktopHasATray()
    {
        QFETCH(bool, available);
        QFETCH(bool, painted);
        TRig rig;
        rig.Platform.TrayAvailable = available;
        TCalendarForm& form = rig.Create();
        form.setUpdatesEnabled(painted);
        QVERIFY(!rig.Windows->TrayIcon());
        form.Start();
        QVERIFY(!rig.Windows->TrayIcon());  // the calendar paints first
        QElapsedTimer waited;
        waited.start();
        QTRY_COMPARE_WITH_TIMEOUT(rig.Windows->TrayIcon() != nullptr, available,
                                  2 * TWindowManager::TrayWaitMs);
        if (!available) {
            QTest::qWait(TWindowManager::TrayWaitMs + 100);
            QVERIFY(!rig.Windows->TrayIcon());
            return;
        }
        // Without a paint the icon still comes, after the wait.
        QCOMPARE(waited.elapsed() >= TWindowManager::TrayWaitMs - 50, !painted);
    }

    void hotKeyAsksForTodaysNoteWhileHeld_data()
    {
        QTest::addColumn<bool>("free");
        QTest::newRow("key free") << true;
        QTest::newRow("key taken") << false;
    }

    void hotKeyAsksForTodaysNoteWhileHeld()
    {
        QFETCH(bool, free);
        TRig rig;
        rig.Platform.HotKeyAllowed = free;
        rig.Create();
        QSignalSpy today(rig.Core.get(), &TAppCore::TodayNoteRequested);
        QCOMPARE(rig.Core->RegisterHotKey(), free);
        QCOMPARE(rig.Platform.RegisteredHotKey.has_value(), free);
        if (free)
            QVERIFY(*rig.Platform.RegisteredHotKey == rig.Platform.DefaultKey);
        rig.Platform.PressHotKey();
        QCOMPARE(today.count(), free ? 1 : 0);
        rig.Form.reset();
        rig.Core.reset();
        QVERIFY(!rig.Platform.RegisteredHotKey);  // the key goes back with the core
    }

    void coreAnnouncesWhatChanged_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<int>("notesSignals");
        QTest::addColumn<int>("settingsSignals");
        QTest::addColumn<int>("errors");
        QTest::addColumn<bool>("marked");  // the new note's day underlined afterwards
        QTest::newRow("notes saved") << 0 << 1 << 0 << 0 << true;
        QTest::newRow("notes cannot be saved") << 1 << 0 << 0 << 1 << false;
        QTest::newRow("notes written by another program") << 2 << 1 << 0 << 0 << true;
        QTest::newRow("settings confirmed") << 3 << 0 << 1 << 0 << true;
    }

    void coreAnnouncesWhatChanged()
    {
        QFETCH(int, change);
        QFETCH(int, notesSignals);
        QFETCH(int, settingsSignals);
        QFETCH(int, errors);
        QFETCH(bool, marked);
        TRig rig;
        TCalendarForm& form = rig.Create();
        TAppCore& core = *rig.Core;
        QSignalSpy notes(&core, &TAppCore::NotesChanged);
        QSignalSpy settings(&core, &TAppCore::SettingsChanged);
        store::TDayPaper& paper = core.DayPapers().AddDayPaper();
        paper.Day = DayCount(QDate(2025, 3, 20));
        paper.Note = {"dentist"};
        const QString notesFile = core.NotesFile();
        switch (change) {
        case 0:
            QVERIFY(core.SaveNotes());
            break;
        case 1:  // a folder where the file was cannot be replaced, whoever runs the test
            QVERIFY(QFile::remove(notesFile));
            QVERIFY(QDir().mkpath(notesFile + QStringLiteral("/inside")));
            QVERIFY(!core.SaveNotes());
            break;
        case 2: {
            store::TDayPaperList other;
            store::TDayPaper& theirs = other.AddDayPaper();
            theirs.Day = paper.Day;
            theirs.Note = {"dentist, moved"};
            core.TakeUpNotesFile(other.SaveToBytes());
            break;
        }
        default:
            core.ApplySettings();
            break;
        }
        QCOMPARE(notes.count(), notesSignals);
        QCOMPARE(settings.count(), settingsSignals);
        QCOMPARE(rig.Errors.size(), errors);
        QCOMPARE(form.NoteDays().contains(QStringLiteral("20")), marked);
        if (change == 0) {
            store::TDayPaperList saved;
            saved.LoadFromFile(notesFile.toStdString());
            QCOMPARE(saved.Count(), 1);
        }
    }

    // The notes file is made empty at the first start; one another writer makes while the start
    // waits for its lock is read, not replaced.
    void firstStartCreatesItsFiles_data()
    {
        QTest::addColumn<bool>("writerMeanwhile");
        QTest::newRow("no other writer") << false;
        QTest::newRow("another writer makes the file meanwhile") << true;
    }
    void firstStartCreatesItsFiles()
    {
        QFETCH(bool, writerMeanwhile);
        TRig rig;
        const std::string file = rig.File(NotesFileName);
        store::TDayPaperList written;
        if (writerMeanwhile) {
            store::TDayPaper& paper = written.AddDayPaper();
            paper.Day = DayCount(Today);
            paper.Note = {"from the tool"};
        }
        std::promise<void> locked;
        std::thread writer;
        if (writerMeanwhile) {
            writer = std::thread([&] {
                const store::TFileLock lock(file);
                locked.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                store::SaveFileAtomically(file, written.SaveToBytes());
            });
            locked.get_future().wait();
        }
        rig.Create();
        if (writer.joinable())
            writer.join();
        QFile notes(QString::fromStdString(file));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(notes.readAll().toStdString(), written.SaveToBytes());
        QCOMPARE(rig.Core->DayPapers().Count(), written.Count());

        QVERIFY(MarkFirstRun(rig.Folder));
        QFile marker(QString::fromStdString(rig.File(FirstRunFileName)));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(marker.readAll(), QByteArray("1\r\n"));
        QVERIFY(!MarkFirstRun(rig.Folder));
    }

    void unreadableNotesFileIsKept()
    {
        TRig rig;
        const QString notes = QString::fromStdString(rig.File(NotesFileName));
        {
            store::TDayPaperList papers;
            store::TDayPaper& paper = papers.AddDayPaper();
            paper.Day = DayCount(Today);
            paper.Note = {"keep me"};
            papers.SaveToFile(notes.toStdString());
        }
        const QByteArray bytes = [&] {
            QFile file(notes);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        QFile::setPermissions(notes, QFile::WriteOwner);
        if (QFile(notes).open(QIODevice::ReadOnly))
            QSKIP("this user reads files without read permission");
        TCalendarForm& form = rig.Create();
        QVERIFY(form.NoteDays().isEmpty());
        QFile::setPermissions(notes, QFile::ReadOwner | QFile::WriteOwner);
        QFile file(notes);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }

    void missingOrDamagedSettingsGiveCreationValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("not a settings object") << QByteArray("TPF0\x0bTCalSetting\x00\xff", 18) << true;
    }

    void missingOrDamagedSettingsGiveCreationValues()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        TRig rig;
        if (exists) {
            QFile file(QString::fromStdString(rig.File(SettingsFileName)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        TCalendarForm& form = rig.Create();
        const store::TCalSetting fresh;
        QCOMPARE(rig.Core->Settings().CanMoved, fresh.CanMoved);
        QCOMPARE(rig.Core->Settings().HideInTheTray, fresh.HideInTheTray);
        QVERIFY(rig.Core->Settings().SubFont == fresh.SubFont);
        QVERIFY(rig.Core->Settings().TitlePic.empty());
        QCOMPARE(form.pos(), QPoint(1024 - 296, 738 - 216));
    }

    void closeSavesThePositionButNotTheNotes()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        form.move(310, 170);
        rig.Core->DayPapers().AddDayPaper().Note = {"unsaved"};
        form.exit1Click();
        rig.Form.reset();
        store::TCalSetting saved;
        saved.LoadFromFile(rig.File(SettingsFileName));
        QCOMPARE(saved.Top, 170);
        QCOMPARE(saved.Left, 310);
        QFile notes(QString::fromStdString(rig.File(NotesFileName)));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(notes.readAll(), QByteArray(4, '\0'));
    }

    void reminderCheckRunsOnlyOnceStarted()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        QSignalSpy checks(&rig.Core->findChild<TAlarmTimer*>()->Timer(), &QTimer::timeout);
        QTest::qWait(0);
        QCOMPARE(checks.count(), 0);
        // A moment in a fifth of a second: the next half hour.
        rig.Clock.Day += 1.0 / 48 - 0.2 / 86400;
        form.Start();
        QTRY_VERIFY_WITH_TIMEOUT(checks.count() > 0, 3000);
    }

    // ---- the data files ---------------------------------------------------------------------

    void alertStateFailuresAreReportedWhenTheUserAsked_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("userAsked");  // the settings dialog's OK, not the book's own save
        QTest::addColumn<int>("errors");
        QTest::newRow("saved") << true << true << 0;
        QTest::newRow("the book's save fails") << false << false << 0;
        QTest::newRow("the user's save fails") << false << true << 1;
    }
    void alertStateFailuresAreReportedWhenTheUserAsked()
    {
        QFETCH(bool, writable);
        QFETCH(bool, userAsked);
        QFETCH(int, errors);
        TRig rig;
        rig.Create();
        const QString file = rig.Core->AlertStateFile();
        if (!writable)
            QVERIFY(QDir().mkpath(file + QStringLiteral("/inside")));
        rig.Core->Alerts().State().SnoozeMinutes = 10;
        QCOMPARE(rig.Core->SaveAlertState(userAsked), writable);
        QCOMPARE(rig.Errors.size(), errors);
        if (writable) {
            store::TAlertState saved;
            QCOMPARE(store::LoadAlertState(file.toStdString(), saved), std::string());
            QCOMPARE(saved.SnoozeMinutes, 10);
        }
    }

    // Another writer holding the lock of the settings or the alerts file finishes first: the
    // program's save waits for it and comes after, never between its read and its write.
    void sideFileSavesWaitForTheLock_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("settings") << QString::fromLatin1(SettingsFileName);
        QTest::newRow("alerts") << QString::fromLatin1(AlertStateFileName);
    }
    void sideFileSavesWaitForTheLock()
    {
        QFETCH(QString, file);
        TRig rig;
        rig.Create();
        const std::string path = rig.File(file.toLatin1().constData());
        std::promise<void> locked;
        std::thread writer([&] {
            const store::TFileLock lock(path);
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            store::SaveFileAtomically(path, "written elsewhere");
        });
        locked.get_future().wait();
        const bool settings = file == QLatin1String(SettingsFileName);
        rig.Core->Settings().CanMoved = !rig.Core->Settings().CanMoved;
        rig.Core->Alerts().State().SnoozeMinutes = 10;
        QVERIFY(settings ? rig.Core->SaveSettings() : rig.Core->SaveAlertState(true));
        writer.join();
        if (settings) {
            store::TCalSetting saved;
            saved.LoadFromFile(path);
            QCOMPARE(saved.CanMoved, rig.Core->Settings().CanMoved);
        } else {
            store::TAlertState saved;
            QCOMPARE(store::LoadAlertState(path, saved), std::string());
            QCOMPARE(saved.SnoozeMinutes, 10);
        }
    }

    void digestOfPiecesIsTheDigestOfTheWhole_data()
    {
        QTest::addColumn<QList<int>>("cuts");  // where the bytes are cut into pieces
        QTest::newRow("whole") << QList<int>{};
        QTest::newRow("one byte, then the rest") << QList<int>{1};
        QTest::newRow("many pieces, one empty") << QList<int>{3, 3, 100, 257, 4000};
    }
    void digestOfPiecesIsTheDigestOfTheWhole()
    {
        QFETCH(QList<int>, cuts);
        std::string bytes(5000, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 131 % 251);
        TFileDigest digest;
        std::size_t from = 0;
        for (const int cut : cuts) {
            digest.Add(std::string_view(bytes).substr(from, static_cast<std::size_t>(cut) - from));
            from = static_cast<std::size_t>(cut);
        }
        digest.Add(std::string_view(bytes).substr(from));
        QCOMPARE(digest.Value(), FileDigest(bytes));
        bytes.back() ^= 1;
        QVERIFY(digest.Value() != FileDigest(bytes));
    }
};

QTEST_MAIN(TAppCoreTest)
#include "test_appcore.moc"