// The start-up windows: the splash's hold by the clock, the first run's notice before the
// splash, the boxes for files start-up could not write or found damaged, the notice's text,
// and the hot key held by the splash.
#include "app/entry.h"
#include "app/noticefrm.h"
#include "app/snapfrm.h"
#include "store/daypaperlist.h"
#include "tests/support/calendarrig.h"
#include "tests/support/tempfolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <map>

using namespace orvenna;
using namespace orvenna::test;

class TestSplash final : public QObject {
    Q_OBJECT

private slots:
    // First, before any other case loads an image plugin: the splash's picture is decoded by
    // the program's own reader, without loading one.
    void splashPictureLoadsNoImagePlugin()
    {
        const auto imagePlugins = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) ? int(maps.readAll().count("/imageformats/")) : -1;
        };
        QCOMPARE(imagePlugins(), 0);
        QCOMPARE(app::TSnapForm::Picture().size(), QSize(420, 204));
        QCOMPARE(imagePlugins(), 0);
    }

    void holdLastsTwoToThreeWholeSeconds_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("endsAt");  // the first tick at which the hold is over
        QTest::newRow("on a whole second: 3 s") << 5000u << 8000u;
        QTest::newRow("just before the next: 2001 ms") << 5999u << 8000u;
        QTest::newRow("from zero") << 0u << 3000u;
        // The tick count wraps round: never longer than three seconds.
        QTest::newRow("across the wrap") << 0xFFFFFF00u << 0xFFFFFF00u + 3000u;
        QTest::newRow("in the last whole second") << 4294967000u << 4294967000u + 3000u;
    }
    void holdLastsTwoToThreeWholeSeconds()
    {
        QFETCH(quint32, start);
        QFETCH(quint32, endsAt);
        QVERIFY(!app::SplashHoldOver(start, start));
        QVERIFY(!app::SplashHoldOver(start, endsAt - 1));
        QVERIFY(app::SplashHoldOver(start, endsAt));

        TFakeClock clock;
        clock.Ticks = start;
        int pauses = 0;
        app::HoldSplash(clock, [&] {
            ++pauses;
            clock.AdvanceMs(1);
        });
        QCOMPARE(clock.Ticks, endsAt);
        QCOMPARE(pauses, static_cast<int>(endsAt - start));
    }

    void noticeBeforeSplashOnTheFirstRunOnly()
    {
        TCalendarRig rig;
        const std::string marker = rig.File(app::FirstRunFileName);
        for (const bool firstRun : {true, false}) {
            rig.Create();
            QStringList events;
            bool splashSeenDuringNotice = true;
            // The notice runs modally: look at it from the loop it runs and press "OK".
            auto* watch = new QTimer(rig.Form.get());
            watch->setInterval(10);
            QObject::connect(watch, &QTimer::timeout, [&] {
                auto* notice = qobject_cast<app::TForm1*>(QApplication::activeModalWidget());
                if (!notice)
                    return;
                watch->stop();
                events << QStringLiteral("notice");
                splashSeenDuringNotice = false;
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (qobject_cast<app::TSnapForm*>(window) && window->isVisible())
                        splashSeenDuringNotice = true;
                QFile file(QString::fromStdString(marker));
                QVERIFY(file.open(QIODevice::ReadOnly));
                QCOMPARE(file.readAll(), QByteArray("1\r\n"));
                QTest::mouseClick(notice->Button1, Qt::LeftButton);
            });
            watch->start();
            const quint32 startTicks = rig.Clock.Ticks;
            app::TEntryHooks hooks;
            hooks.SplashShown = [&](app::TSnapForm& splash) {
                events << QStringLiteral("splash");
                QVERIFY(splash.isVisible());
                QVERIFY(!rig.Form->isVisible());
            };
            hooks.HoldPause = [&] { rig.Clock.AdvanceMs(7); };
            const std::unique_ptr<app::TSnapForm> splash =
                app::StartWindows(*rig.Core, *rig.Form, hooks);
            watch->stop();

            const QStringList expected = firstRun
                ? QStringList{QStringLiteral("notice"), QStringLiteral("splash")}
                : QStringList{QStringLiteral("splash")};
            QCOMPARE(events, expected);
            if (firstRun)
                QVERIFY(!splashSeenDuringNotice);
            QVERIFY(rig.Clock.Ticks - startTicks >= 2000u);
            QVERIFY(rig.Clock.Ticks - startTicks <= 3006u);
            QVERIFY(!splash->isVisible());  // hidden, alive
            QVERIFY(rig.Form->isVisible());
            QFile file(QString::fromStdString(marker));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("1\r\n"));
        }
    }

    // Whatever start-up could not write is shown in one error box before the notice: the
    // first failure only, as the later ones follow from it.
    void startWriteFailureIsShownOnce_data()
    {
        QTest::addColumn<QString>("blocked");        // "folder": the program folder is a file
        QTest::addColumn<QString>("folderFailure");  // what preparing the folder said
        QTest::addColumn<QString>("shown");          // the box's text begins so; empty: no box
        const QString folderFailure =
            QStringLiteral("Cannot create folder \"/home/u/.local/share/orvenna/\". Permission denied");
        QTest::newRow("nothing fails") << "" << "" << "";
        QTest::newRow("the folder") << "" << folderFailure << folderFailure;
        QTest::newRow("the folder, and so every file") << "folder" << folderFailure << folderFailure;
        // The empty notes file is made under its lock, whose file cannot be made either.
        QTest::newRow("the notes file") << "folder" << ""
                                        << "Cannot lock file \"%1/2004.cal\". Not a directory";
        QTest::newRow("the marker") << "marker" << ""
                                    << "Cannot create file \"%1/firstrun.dat\". ";
    }
    void startWriteFailureIsShownOnce()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, folderFailure);
        QFETCH(QString, shown);
        TCalendarRig rig;
        if (blocked == QLatin1String("folder")) {
            rig.Folder = rig.Dir.path() + QStringLiteral("/blocked/");
            QFile file(rig.Dir.path() + QStringLiteral("/blocked"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (blocked == QLatin1String("marker")) {
            QVERIFY(QDir().mkpath(rig.Folder + QLatin1String(app::FirstRunFileName) + u'/'));
        }
        shown = shown.arg(rig.Folder.chopped(1));
        rig.Create();
        QStringList events;
        QObject::connect(rig.Core.get(), &TAppCore::ErrorReported,
                         [&] { events << QStringLiteral("error"); });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* notice = qobject_cast<app::TForm1*>(QApplication::activeModalWidget())) {
                events << QStringLiteral("notice");
                QTest::mouseClick(notice->Button1, Qt::LeftButton);
            }
        });
        watch.start(10);
        app::TEntryHooks hooks;
        hooks.HoldSplash = false;
        hooks.FolderFailure = folderFailure;
        app::StartWindows(*rig.Core, *rig.Form, hooks);

        if (shown.isEmpty()) {
            QCOMPARE(rig.Errors, QStringList());
            QCOMPARE(events, QStringList{QStringLiteral("notice")});
            return;
        }
        QCOMPARE(rig.Errors.size(), 1);
        QVERIFY2(rig.Errors.front().startsWith(shown), qPrintable(rig.Errors.front()));
        QCOMPARE(events, (QStringList{QStringLiteral("error"), QStringLiteral("notice")}));
    }

    // Data files that do not read whole at start are copied aside before anything writes over
    // them, and told in one box naming each copy.
    void damagedFilesAtStartAreToldOnce_data()
    {
        QTest::addColumn<QStringList>("damaged");
        QTest::newRow("the notes") << QStringList{"2004.cal"};
        QTest::newRow("the settings") << QStringList{"Setting.cfg"};
        QTest::newRow("the alerts") << QStringList{"Alerts.dat"};
        QTest::newRow("all three") << QStringList{"2004.cal", "Setting.cfg", "Alerts.dat"};
    }
    void damagedFilesAtStartAreToldOnce()
    {
        QFETCH(QStringList, damaged);
        TCalendarRig rig;
        test::WriteBytes(rig.File(app::FirstRunFileName), "1\r\n");
        std::map<QString, std::string> bytes;
        {
            store::TDayPaperList papers;
            store::TDayPaper& paper = papers.AddDayPaper();
            paper.Day = DayCount(Today);
            paper.Note = {"a note"};
            bytes["2004.cal"] = papers.SaveToBytes() + "tail";
            store::TCalSetting settings;
            settings.SaveToFile(rig.File(app::SettingsFileName));
            bytes["Setting.cfg"] = test::ReadBytes(rig.File(app::SettingsFileName));
            bytes["Setting.cfg"].resize(bytes["Setting.cfg"].size() - 5);
            bytes["Alerts.dat"] = "Orvenna alerts 1\nStayUntilDismissed=yes\nEnd\n";
        }
        QFile::remove(QString::fromStdString(rig.File(app::SettingsFileName)));
        for (const QString& name : damaged)
            test::WriteBytes(rig.File(name.toLatin1().constData()), bytes[name]);
        rig.Create();
        app::TEntryHooks hooks;
        hooks.HoldSplash = false;
        app::StartWindows(*rig.Core, *rig.Form, hooks);
        QCOMPARE(rig.Errors.size(), 1);
        for (const QString& name : damaged) {
            const QStringList copies = QDir(rig.Folder).entryList({name + QStringLiteral(".damaged-*")});
            QCOMPARE(copies.size(), 1);
            QCOMPARE(test::ReadBytes(rig.File(copies[0].toLatin1().constData())), bytes[name]);
            QVERIFY2(rig.Errors[0].contains(QStringLiteral("kept as \"%1\"").arg(rig.Folder + copies[0])),
                     qPrintable(rig.Errors[0]));
        }
        QCOMPARE(rig.Errors[0].count(QStringLiteral(" is damaged ")), damaged.size());
    }

    void noticeShowsItsTextAsWritten()
    {
        app::TForm1 notice;
        QCOMPARE(notice.windowTitle(), QStringLiteral("Notice"));
        QCOMPARE(notice.size(), QSize(424, 238));
        QCOMPARE(notice.Label1->text().toLatin1(),
                 QByteArray("         When the program first runs, it will minimize to an icon "
                            "in right bottom area of task bar.The calendar will be shown as  "
                            "the desktop appears. It sticks on the desktop wallpaper even the "
                            "\"toggle desktop\" button be clicked."));
        QCOMPARE(notice.Label2->text(), QStringLiteral("Note"));
        QCOMPARE(notice.Button1->text(), QStringLiteral("OK"));
        QVERIFY(notice.Button1->isDefault());
    }

    // While the splash holds, once its own picture is painted, the calendar's fonts load; a
    // start without the hold (the start-up benchmark) leaves them to the calendar's paint.
    void calendarFontsLoadWhileTheSplashHolds_data()
    {
        QTest::addColumn<bool>("hold");
        QTest::newRow("held") << true;
        QTest::newRow("not held") << false;
    }
    void calendarFontsLoadWhileTheSplashHolds()
    {
        QFETCH(bool, hold);
        TCalendarRig rig;
        QFile marker(QString::fromStdString(rig.File(app::FirstRunFileName)));
        QVERIFY(marker.open(QIODevice::WriteOnly) && marker.write("1\r\n") == 3);
        marker.close();
        TCalendarForm& calendar = rig.Create();
        // Not before the splash has painted, nor before the loop has run since: on a real
        // display the picture reaches the screen there.
        QList<bool> loaded;
        app::TEntryHooks hooks;
        hooks.HoldSplash = hold;
        hooks.SplashShown = [&](app::TSnapForm&) { loaded << calendar.FontsLoaded(); };
        hooks.HoldPause = [&] {
            if (loaded.size() == 1)
                loaded << calendar.FontsLoaded();
            QCoreApplication::processEvents();
            rig.Clock.AdvanceMs(7);
        };
        const std::unique_ptr<app::TSnapForm> splash = app::StartWindows(*rig.Core, calendar, hooks);
        QCOMPARE(calendar.FontsLoaded(), hold);
        QVERIFY(!loaded.contains(true));
    }

    void splashDrawsItsPictureUnscaled()
    {
        TCalendarRig rig;
        rig.Create();
        app::TSnapForm splash(*rig.Core);
        QCOMPARE(splash.size(), QSize(402, 240));
        const QImage picture = app::TSnapForm::Picture();
        QCOMPARE(picture.size(), QSize(420, 204));
        const QImage shown = splash.grab().toImage();
        QCOMPARE(shown.pixel(0, 0), picture.pixel(0, 0));
        QCOMPARE(shown.pixel(401, 100), picture.pixel(401, 100));
        QCOMPARE(QColor(shown.pixel(200, 220)), QColor(Qt::white));
    }

    // The splash holds the hot key from creation to close; a press asks for today's note
    // whatever month the calendar shows. A key taken elsewhere: no key, nothing said.
    void hotKeyLivesWithTheSplash()
    {
        for (const bool allowed : {true, false}) {
            TCalendarRig rig;
            rig.Platform.HotKeyAllowed = allowed;
            TCalendarForm& calendar = rig.Create();
            QSignalSpy asked(rig.Core.get(), &TAppCore::TodayNoteRequested);
            {
                app::TSnapForm splash(*rig.Core);
                QCOMPARE(rig.Core->HotKeyRegistered(), allowed);
                QCOMPARE(rig.Platform.RegisteredHotKey.has_value(), allowed);
                if (allowed)
                    QCOMPARE(*rig.Platform.RegisteredHotKey, rig.Platform.DefaultKey);
                calendar.NextMonthClick();
                calendar.NextMonthClick();
                rig.Platform.PressHotKey();
                QCOMPARE(asked.count(), allowed ? 1 : 0);
                splash.close();
                QVERIFY(!rig.Core->HotKeyRegistered());
                QVERIFY(!rig.Platform.RegisteredHotKey.has_value());
                rig.Platform.PressHotKey();
                QCOMPARE(asked.count(), allowed ? 1 : 0);
            }
            QVERIFY(rig.Errors.isEmpty());
        }
    }
};

QTEST_MAIN(TestSplash)
#include "test_splash.moc"
