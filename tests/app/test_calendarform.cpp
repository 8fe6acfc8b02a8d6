// The calendar window on the offscreen platform (calendarrig.h); the program's state apart from
// it is test_appcore.cpp's.
#include "tests/support/calendarrig.h"

#include "app/capturefiles.h"
#include "app/daygrid.h"
#include "app/windowmanager.h"
#include "desktop/wallpaper.h"
#include "notes/notefrm.h"
#include "store/daypaperlist.h"
#include "store/daypapers.h"
#include "tests/support/modaldriver.h"

#include <QAction>
#include <QLoggingCategory>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTransform>

#include <algorithm>

using namespace orvenna;
using namespace orvenna::app;
using namespace orvenna::test;
using TRig = orvenna::test::TCalendarRig;

Q_DECLARE_METATYPE(orvenna::app::TScreenArea)

namespace {

const QString UnsupportedText = QStringLiteral(
    "The wallpaper file format is not supported, program will use the default setting.");

QImage Icon(const TCalendarForm& form, int day)
{
    return form.DayGrid().Items().at(day - 1).Icon.convertToFormat(QImage::Format_RGB32);
}

int TodayItems(const TCalendarForm& form)
{
    int count = 0;
    for (const TDayItem& item : form.DayGrid().Items())
        count += item.Today ? 1 : 0;
    return count;
}

// Pixels of the grid's drawing inside day's piece that satisfy the test.
template <typename Test>
int PixelsOfDay(const QImage& grid, const TCalendarForm& form, int day, Test test)
{
    const QRect piece = DayIconRect(form.DayGrid().Items().at(day - 1).Cell.Position);
    int count = 0;
    for (int y = piece.top(); y <= piece.bottom(); ++y)
        for (int x = piece.left(); x <= piece.right(); ++x)
            count += test(QColor(grid.pixel(x, y))) ? 1 : 0;
    return count;
}


// The whole screen as the wallpaper reader composes it; the calendar keeps only its own part.
QImage WholeDesktop(TRig& rig)
{
    desktop::TWallPaper whole(rig.Platform);
    whole.LoadWallpaper();
    return whole.DeskBitmap().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TCalendarFormTest final : public QObject {
    Q_OBJECT

private slots:
    // ---- month view ---------------------------------------------------------------------

    void dayItemsOfMonth_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<int>("days");
        QTest::addColumn<QPoint>("first");
        QTest::addColumn<QPoint>("last");
        QTest::newRow("1st on a Sunday") << QDate(2024, 9, 1) << 30 << QPoint(-1, 5) << QPoint(36, 117);
        QTest::newRow("31 days from a Saturday") << QDate(2025, 3, 1) << 31 << QPoint(221, 5) << QPoint(36, 145);
        QTest::newRow("28-day February from a Sunday") << QDate(2015, 2, 1) << 28 << QPoint(-1, 5) << QPoint(221, 89);
    }
    void dayItemsOfMonth()
    {
        QFETCH(QDate, month);
        QFETCH(int, days);
        QFETCH(QPoint, first);
        QFETCH(QPoint, last);
        TRig rig;
        TCalendarForm& form = rig.Create();
        QCOMPARE(form.CellWidth(), 37);
        form.BuildMonth(month.addDays(9));
        const QList<TDayItem>& items = form.DayGrid().Items();
        QCOMPARE(items.size(), days);
        QCOMPARE(items.first().Cell.Position, first);
        QCOMPARE(items.last().Cell.Position, last);
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(items[i].Cell.Day, i + 1);
    }

    void todayMarkOnlyInTodaysMonth()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        QCOMPARE(TodayItems(form), 1);
        QVERIFY(form.DayGrid().Items().at(Today.day() - 1).Today);
        form.NextMonthClick();
        QCOMPARE(TodayItems(form), 0);
        form.previousMonthItemClick();
        QCOMPARE(TodayItems(form), 1);
        QVERIFY(form.DayGrid().Items().at(Today.day() - 1).Today);
        // The same day number a year earlier is not today.
        for (int i = 0; i < 12; ++i)
            form.previousMonthItemClick();
        QCOMPARE(form.ShownYear(), 2024);
        QCOMPARE(TodayItems(form), 0);
    }

    void onlyDaysWithNoteLinesAreMarked()
    {
        TRig rig;
        {
            store::TDayPaperList papers;
            const auto add = [&](QDate day, std::vector<std::string> note, bool reminder) {
                store::TDayPaper& paper = papers.AddDayPaper();
                paper.Day = DayCount(day);
                paper.Note = std::move(note);
                if (reminder)
                    paper.ReminderList.AddReminder().Subject = "call";
            };
            add(QDate(2025, 3, 10), {"dentist"}, false);
            add(QDate(2025, 3, 12), {}, true);             // reminders alone
            add(QDate(2025, 3, 20), {"", "second"}, true);  // blank first line still a note
            add(QDate(2025, 4, 10), {"April"}, false);
            add(QDate(2024, 3, 11), {"last year"}, false);
            papers.SaveToFile(rig.File(NotesFileName));
        }
        TCalendarForm& form = rig.Create();
        QCOMPARE(form.NoteDays(), (QStringList{QStringLiteral("10"), QStringLiteral("20")}));
        form.NextMonthClick();
        QCOMPARE(form.NoteDays(), QStringList{QStringLiteral("10")});
    }

    void titlePictureKeyColourIsCutOut()
    {
        TRig rig;
        QImage picture = Solid({296, 32}, Qt::magenta);
        picture.fill(Qt::magenta);
        for (int y = 4; y < 28; ++y)
            for (int x = 10; x < 200; ++x)
                picture.setPixel(x, y, qRgb(0, 128, 0));
        const QString path = rig.Folder + QStringLiteral("title.bmp");
        QVERIFY(picture.save(path, "BMP"));
        store::TCalSetting settings;
        settings.TitlePic = path.toStdString();
        rig.SaveSettings(settings);

        TCalendarForm& form = rig.Create();
        const QRegion title = form.WindowShape() & QRegion(0, 0, 296, 32);
        QCOMPARE(title, QRegion(10, 4, 190, 24));

        settings.TitlePic = (rig.Folder + QStringLiteral("gone.bmp")).toStdString();
        rig.SaveSettings(settings);
        TCalendarForm& plain = rig.Create();
        QCOMPARE(plain.WindowShape() & QRegion(0, 0, 296, 32), QRegion(0, 0, 296, 32));
    }

    void shapeHoldsTheMaskOverEveryDay()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        const QRegion cell = RegionFromPicture(QImage(rig.Folder + QStringLiteral("images/2.bmp")));
        QVERIFY(!cell.isEmpty());
        for (const TDayItem& item : form.DayGrid().Items()) {
            const QRect box(CellShapeOrigin(item.Cell.Position), cell.boundingRect().size());
            QCOMPARE(form.WindowShape() & box,
                     cell.translated(box.topLeft() - cell.boundingRect().topLeft()));
        }
        // Between the cells the desktop shows through.
        QVERIFY(!form.WindowShape().contains(QPoint(1, 40)));
    }

    void paintRebuildsIconsAtMostEvery200Ms()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        QCoreApplication::processEvents();
        const QImage cut = Icon(form, 1);
        // A marked icon stays until a rebuild cuts the capture again.
        const auto paintMarked = [&](std::uint32_t afterMs) {
            form.DayGrid().SetIcon(0, Solid(cut.size(), Qt::red));
            rig.Clock.AdvanceMs(afterMs);
            form.repaint();
            return Icon(form, 1) == cut;
        };

        form.Refresh1Click();
        QVERIFY(paintMarked(10));  // the first paint after a refresh rebuilds
        QVERIFY(!paintMarked(150));
        QVERIFY(!paintMarked(149));  // 149 ms after the last paint, not after the last rebuild
        QVERIFY(paintMarked(200));
        form.Refresh1Click();
        QVERIFY(paintMarked(0));
    }

    void iconsAreTheWallpaperBehindTheirCells()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        const QPoint window = form.pos();
        QCOMPARE(window, QPoint(1024 - 296, 738 - 216));
        const QImage desk = WholeDesktop(rig);
        for (const TDayItem& item : form.DayGrid().Items()) {
            const QPoint behind = window + QPoint(item.Cell.Position.x() + 20,
                                                  GridTop + item.Cell.Position.y());
            QCOMPARE(Icon(form, item.Cell.Day), desk.copy(QRect(behind, QSize(32, 32))));
        }
        // The month's pieces are views of one picture of the grid, not 40 copies: two cells
        // side by side lie as far apart in it as on the screen.
        const QList<TDayItem>& items = form.DayGrid().Items();
        const auto row = std::adjacent_find(items.begin(), items.end(),
                                            [](const TDayItem& a, const TDayItem& b) {
                                                return a.Cell.Position.y() == b.Cell.Position.y();
                                            });
        QVERIFY(row != items.end());
        QCOMPARE(std::next(row)->Icon.constBits() - row->Icon.constBits(),
                 4 * (std::next(row)->Cell.Position.x() - row->Cell.Position.x()));

        // After a move the cells show the wallpaper of the new place.
        form.move(100, 50);
        form.Refresh1Click();
        const TDayCell& cell = form.DayGrid().Items().at(20).Cell;
        QCOMPARE(Icon(form, 21), desk.copy(QRect(QPoint(100 + cell.Position.x() + 20,
                                                        50 + GridTop + cell.Position.y()),
                                                 QSize(32, 32))));
    }

    void dayNumberColours()
    {
        TRig rig(Today, Solid({1024, 768}, Qt::black));
        store::TCalSetting settings;
        settings.SubFont.Color = store::clBlue;
        settings.SubFont.Height = -20;
        settings.SubFont.Style = store::StyleBit(store::fsBold);
        rig.SaveSettings(settings);
        TCalendarForm& form = rig.Create();
        form.Start();
        const QImage grid = form.DayGrid().grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto todayish = [](QColor c) { return c.red() > 120 && c.blue() < c.green(); };
        const auto blueish = [](QColor c) { return c.blue() > 120 && c.red() < 40; };
        QVERIFY(PixelsOfDay(grid, form, Today.day(), todayish) > 0);
        QCOMPARE(PixelsOfDay(grid, form, Today.day(), blueish), 0);
        QVERIFY(PixelsOfDay(grid, form, Today.day() + 1, blueish) > 0);
        QCOMPARE(PixelsOfDay(grid, form, Today.day() + 1, todayish), 0);
    }

    void noteDaysAreDrawnUnderlined()
    {
        const auto drawGrid = [](bool withNote) {
            TRig rig(Today, Solid({1024, 768}, Qt::black));
            store::TCalSetting settings;
            settings.SubFont.Color = store::clWhite;
            rig.SaveSettings(settings);
            store::TDayPaperList papers;
            store::TDayPaper& paper = papers.AddDayPaper();
            paper.Day = DayCount(Today.addDays(2));
            if (withNote)
                paper.Note = {"note"};
            papers.SaveToFile(rig.File(NotesFileName));
            TCalendarForm& form = rig.Create();
            form.Start();
            return form.DayGrid().grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const QImage plain = drawGrid(false);
        const QImage marked = drawGrid(true);
        const auto piece = [](const QImage& grid, int day) {
            const TMonthGrid month = MonthGrid(Today, 37);
            return grid.copy(DayIconRect(month.Days.at(day - 1).Position));
        };
        QVERIFY(piece(plain, Today.day() + 2) != piece(marked, Today.day() + 2));
        QCOMPARE(piece(plain, Today.day() + 3), piece(marked, Today.day() + 3));
    }

    // ---- commands -----------------------------------------------------------------------

    void monthNavigationCrossesYears()
    {
        TRig rig(QDate(2005, 12, 20));
        TCalendarForm& form = rig.Create();
        QCOMPARE(form.ShownDay(), 20);
        form.NextMonthClick();
        QCOMPARE(std::tuple(form.ShownYear(), form.ShownMonth(), form.ShownDay()), std::tuple(2006, 1, 1));
        QCOMPARE(form.DayGrid().Items().first().Cell.Position.x(), -1);  // a Sunday
        form.previousMonthItemClick();
        QCOMPARE(std::tuple(form.ShownYear(), form.ShownMonth(), form.ShownDay()), std::tuple(2005, 12, 1));
        QCOMPARE(form.DayGrid().Items().size(), 31);
    }

    void dragMovesOnlyWhenAllowed_data()
    {
        QTest::addColumn<bool>("canMove");
        QTest::newRow("allowed") << true;
        QTest::newRow("not allowed") << false;
    }
    void dragMovesOnlyWhenAllowed()
    {
        QFETCH(bool, canMove);
        TRig rig;
        store::TCalSetting settings;
        settings.CanMoved = canMove;
        rig.SaveSettings(settings);
        TCalendarForm& form = rig.Create();
        form.Start();
        const QPoint start = form.pos();
        QWidget* title = form.childAt(50, 10);
        QVERIFY(title && title != &form.DayGrid());
        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(50, 10));
        QTest::mouseMove(title, QPoint(80, 30));
        QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(80, 30));
        const QPoint expected = canMove ? start + QPoint(30, 20) : start;
        QCOMPARE(form.pos(), expected);
        // Released, the cells show the wallpaper of the place the window is now.
        const QImage desk = WholeDesktop(rig);
        const TDayCell& cell = form.DayGrid().Items().at(9).Cell;
        QCOMPARE(Icon(form, 10), desk.copy(QRect(expected + QPoint(cell.Position.x() + 20,
                                                                    GridTop + cell.Position.y()),
                                                 QSize(32, 32))));
    }

    // The menu is made when first asked for, with the commands enabled meanwhile.
    void menuCommandsInOrderAllEnabled()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        QVERIFY2(form.findChildren<QMenu*>().isEmpty(), "a start makes no menu");
        QStringList captions, disabled;
        for (const QAction* action : form.PopupMenu().actions()) {
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (!action->isEnabled())
                disabled << action->text();
        }
        QCOMPARE(captions, (QStringList{"Previous Month", "Next Month", "-", "&Browse...",
                                        "&Setting...", "-", "&Refresh", "-", "E&xit"}));
        QVERIFY(disabled.isEmpty());  // every command has its window
    }

    void confirmedSettingsAreAppliedAtOnce()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        app::TWindowManager* opener = rig.Windows;
        const QImage picture = Solid({296, 32}, Qt::magenta);
        const QString path = rig.Folder + QStringLiteral("title.bmp");
        QVERIFY(picture.save(path, "BMP"));
        const QRegion fullTitle(0, 0, 296, 32);
        QCOMPARE(form.WindowShape() & fullTitle, fullTitle);
        store::TCalSetting& settings = rig.Core->Settings();
        settings.IsDeskChild = true;
        settings.HideInTheTray = true;
        settings.TitlePic = path.toStdString();
        const std::size_t presenceRequests = rig.Platform.TaskBarRequests.size();

        opener->SettingDialogClosed(false);
        QCOMPARE(rig.Platform.AutoRunCalls, 0);
        QCOMPARE(rig.Platform.TaskBarRequests.size(), presenceRequests);
        QCOMPARE(form.WindowShape() & fullTitle, fullTitle);

        opener->SettingDialogClosed(true);
        QCOMPARE(rig.Platform.AutoRunCalls, 1);
        QVERIFY(rig.Platform.AutoRun);
        QCOMPARE(rig.Platform.TaskBarRequests.back(), (std::pair<QWidget*, bool>(&form, false)));
        QVERIFY((form.WindowShape() & fullTitle).isEmpty());  // all key colour: cut out
    }

    void regionalChoicesReachTheMonthAtOnceAndTheNextStart()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        QCOMPARE(form.width(), 296);
        QCOMPARE(form.DayGrid().Items().first().Cell.Column, 6);  // Saturday, weeks from Sunday
        QVERIFY(form.DayGrid().WeekItems().isEmpty());
        const int right = form.geometry().right();

        rig.Core->Regional() = {store::TWeekStart::Monday, store::TTimeFormat::TwentyFour, true};
        rig.Windows->SettingDialogClosed(true);
        QCOMPARE(form.width(), 296 + WeekColumnWidth);
        QCOMPARE(form.geometry().right(), right);
        QCOMPARE(form.DayGrid().Items().first().Cell.Column, 5);
        QCOMPARE(form.DayGrid().WeekItems().size(), 6);
        for (const TWeekItem& week : form.DayGrid().WeekItems()) {
            QVERIFY(!week.Icon.isNull());
            QVERIFY(form.WindowShape().contains(week.Cell.Box.translated(0, GridTop).center()));
        }
        QCOMPARE(form.DayGrid().WeekItems().first().Cell.Week, 9);

        store::TRegionalChoices saved;
        QCOMPARE(store::LoadRegional(rig.File(store::RegionalFileName), saved), std::string());
        QCOMPARE(saved, rig.Core->Regional());
        TCalendarForm& again = rig.Create();
        QCOMPARE(again.width(), 296 + WeekColumnWidth);
        QCOMPARE(again.DayGrid().Items().first().Cell.Column, 5);
        QCOMPARE(rig.Core->LocalFormat().ReminderTimeFormat, std::string("HH:mm"));
    }

    void doubleClickOnDayOpensItsNote()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        QSignalSpy opened(&form, &TCalendarForm::DayOpened);
        const QRect piece = DayIconRect(form.DayGrid().Items().at(4).Cell.Position);
        // The day's note editor opens and waits; it is closed again at once.
        WhenModal<notes::TNoteForm>([](notes::TNoteForm& editor) { editor.Image2Click(); });
        QTest::mouseDClick(&form.DayGrid(), Qt::LeftButton, {}, piece.center());
        QTest::mouseDClick(&form.DayGrid(), Qt::LeftButton, {}, QPoint(2, 2));  // no day there
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.at(0).at(0).toDate(), QDate(2025, 3, 5));
        QCOMPARE(form.ShownDay(), 5);
    }

    // ---- start-up and close -------------------------------------------------------------

    void position_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QPoint>("expected");
        // The corner of the work area: the fake's panel takes the screen's last 30 rows.
        const QPoint corner(1024 - 296, 738 - 216);
        QTest::newRow("none stored") << 0 << 0 << corner;
        QTest::newRow("top 0 whatever left says") << 0 << 300 << corner;
        QTest::newRow("stored") << 120 << 40 << QPoint(40, 120);
        QTest::newRow("stored over the panel") << 700 << 40 << QPoint(40, 700);
        QTest::newRow("partly on the screen stays") << 700 << 900 << QPoint(900, 700);
        QTest::newRow("partly above and left of it stays") << -100 << -200 << QPoint(-200, -100);
        QTest::newRow("on a monitor that is gone") << 3000 << 5000 << corner;
    }
    void position()
    {
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QPoint, expected);
        TRig rig;
        store::TCalSetting settings;
        settings.Top = top;
        settings.Left = left;
        rig.SaveSettings(settings);
        QCOMPARE(rig.Create().pos(), expected);
    }

    void traceGoesToItsLogCategoryOnlyWhenAskedFor_data()
    {
        QTest::addColumn<bool>("switchedOn");
        QTest::newRow("normal running") << false;
        QTest::newRow("orvenna.trace switched on") << true;
    }
    void traceGoesToItsLogCategoryOnlyWhenAskedFor()
    {
        QFETCH(bool, switchedOn);
        static QStringList traced;
        traced.clear();
        if (switchedOn)
            QLoggingCategory::setFilterRules(QStringLiteral("orvenna.trace.debug=true"));
        const QtMessageHandler before = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& context, const QString& text) {
                if (QLatin1String(context.category) == QLatin1String("orvenna.trace"))
                    traced << text;
            });
        TRig rig;
        rig.Create().Start();
        qInstallMessageHandler(before);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(traced.contains(QStringLiteral("create")), switchedOn);
    }

    void unsupportedWallpaperIsReported()
    {
        TRig rig;
        platform::TDesktopFacts facts = rig.Platform.Facts;
        const QString supported = facts.WallpaperPath;
        facts.WallpaperPath = rig.Folder + QStringLiteral("wallpaper.xyz");
        QFile::copy(supported, facts.WallpaperPath);
        rig.Platform.Facts = facts;

        TCalendarForm& form = rig.Create();
        QCOMPARE(rig.Errors, QStringList{UnsupportedText});
        QImage behind;
        form.WallPaper().CopyDeskRect(behind, form.rect(), form.geometry());
        QCOMPARE(behind, Solid(form.size(), facts.DesktopColor));
        form.Start();
        rig.Platform.ChangeDesktopFacts(facts);
        QTRY_COMPARE(rig.Errors, (QStringList{UnsupportedText, UnsupportedText}));

        facts.WallpaperPath = supported;
        rig.Platform.ChangeDesktopFacts(facts);
        QTRY_COMPARE(form.WallpaperFile(), supported);
        QCOMPARE(rig.Errors.size(), 2);
        const QImage desk = WholeDesktop(rig);
        const TDayCell& cell = form.DayGrid().Items().first().Cell;
        QCOMPARE(Icon(form, 1), desk.copy(QRect(form.pos() + QPoint(cell.Position.x() + 20,
                                                                     GridTop + cell.Position.y()),
                                                QSize(32, 32))));
    }

    // The desktop sends one change per key; a burst of them is one reload and one error box.
    void burstOfSettingChangesIsOneReload()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        platform::TDesktopFacts facts = rig.Platform.Facts;
        facts.WallpaperPath = rig.Folder + QStringLiteral("wallpaper.xyz");
        int reads = rig.Platform.FactsReads;
        rig.Platform.ChangeDesktopFacts(facts);
        QTRY_COMPARE(rig.Errors.size(), 1);
        const int readsPerReload = rig.Platform.FactsReads - reads;

        reads = rig.Platform.FactsReads;
        rig.Platform.ChangeDesktopFacts(facts);
        facts.Placement = platform::TWallpaperPlacement::Centred;
        rig.Platform.ChangeDesktopFacts(facts);
        facts.DesktopColor = Qt::darkGreen;
        rig.Platform.ChangeDesktopFacts(facts);
        QCOMPARE(rig.Platform.FactsReads, reads);  // nothing before the burst has ended
        QTRY_COMPARE(rig.Errors.size(), 2);
        QCOMPARE(rig.Platform.FactsReads - reads, readsPerReload);
        QCOMPARE(QColor(form.WallPaper().DeskBitmap().pixel(0, 0)), QColor(Qt::darkGreen));
    }

    // Each step asks the platform for the screens (with their work areas: on X11 a pair of
    // round trips to the window manager) once, and a capture file is read at most once after
    // its last write: later paints show the pictures kept, whatever the file holds meanwhile.
    void eachStepReadsTheDesktopAndTheCapturesOnce_data()
    {
        QTest::addColumn<bool>("captured");
        QTest::newRow("first start") << false;
        QTest::newRow("start taking the last captures") << true;
    }
    void eachStepReadsTheDesktopAndTheCapturesOnce()
    {
        QFETCH(bool, captured);
        TRig rig;
        if (captured)
            rig.Create().Start();
        int reads = rig.Platform.WorkAreaReads;
        const auto readsSince = [&] { return rig.Platform.WorkAreaReads - std::exchange(reads, rig.Platform.WorkAreaReads); };
        TCalendarForm& form = rig.Create();
        QCOMPARE(readsSince(), 2);  // the window's place, then the wallpaper's screens
        form.Start();
        QCOMPARE(readsSince(), 1);
        form.Refresh1Click();
        QCOMPARE(readsSince(), 1);
        form.WMSettingChange();
        QCOMPARE(readsSince(), 1);

        QCoreApplication::processEvents();
        const QImage icon = Icon(form, 1);
        const QImage title = form.grab(QRect(0, 0, form.width(), GridTop)).toImage();
        QVERIFY(Solid(form.DayGrid().size(), Qt::magenta).save(rig.Folder + QStringLiteral("bk.bmp"), "BMP"));
        QVERIFY(Solid({form.width(), GridTop}, Qt::magenta).save(rig.Folder + QStringLiteral("images/applebar.bmp"), "BMP"));
        rig.Clock.AdvanceMs(1000);
        form.repaint();  // rebuilds the icons
        QCOMPARE(Icon(form, 1), icon);
        QCOMPARE(form.grab(QRect(0, 0, form.width(), GridTop)).toImage(), title);
    }

    // A start with the desktop as it was takes the last run's captures instead of decoding the
    // wallpaper again; after any change the old pixels must not show.
    void lastCapturesAreTakenOnlyForAnUnchangedDesktop_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("taken");
        QTest::newRow("nothing changed") << 0 << true;
        QTest::newRow("other placement") << 1 << false;
        QTest::newRow("other desktop colour") << 2 << false;
        QTest::newRow("wallpaper file rewritten") << 3 << false;
        QTest::newRow("window kept elsewhere") << 4 << false;
        QTest::newRow("larger screen") << 5 << false;
    }
    void lastCapturesAreTakenOnlyForAnUnchangedDesktop()
    {
        QFETCH(int, change);
        QFETCH(bool, taken);
        TRig rig;
        rig.Create().Start();
        // Marked captures: a start that takes them shows the mark in its cells.
        QVERIFY(Solid({296, 184}, Qt::magenta).save(rig.Folder + QStringLiteral("bk.bmp"), "BMP"));
        store::TCalSetting settings;
        switch (change) {
        case 1: rig.Platform.Facts.Placement = platform::TWallpaperPlacement::Centred; break;
        case 2: rig.Platform.Facts.DesktopColor = Qt::darkGreen; break;
        case 3: QVERIFY(PatternPicture({1000, 700}).save(rig.Platform.Facts.WallpaperPath, "BMP")); break;
        case 4:
            settings.Left = 100;
            settings.Top = 50;
            rig.SaveSettings(settings);
            break;
        case 5: rig.Platform.Primary = rig.Platform.Virtual = QRect(0, 0, 1280, 800); break;
        }
        TCalendarForm& form = rig.Create();
        form.Start();
        const TDayCell& cell = form.DayGrid().Items().first().Cell;
        const QImage behind = WholeDesktop(rig).copy(
            QRect(form.pos() + QPoint(cell.Position.x() + 20, GridTop + cell.Position.y()), QSize(32, 32)));
        QCOMPARE(Icon(form, 1) == Solid({32, 32}, Qt::magenta), taken);
        if (!taken)
            QCOMPARE(Icon(form, 1), behind);
    }

    // After every drag the calendar holds exactly what a full composition of the desktop shows
    // at its new place, whether it came from the neighbourhood composed with the last decode,
    // from the one composed while it was dragged, or from a new decode; a first drag within
    // reach decodes nothing on the way (the composition kept is the one around the start).
    void dragsShowTheWallpaperOfTheNewPlace_data()
    {
        QTest::addColumn<bool>("twoScreens");
        QTest::addColumn<bool>("warmStart");
        QTest::addColumn<QList<QPoint>>("drags");
        const QList<QPoint> near{{50, 0}, {-20, -50}, {-30, 50}, {60, 60}, {0, 40}};
        const QList<QPoint> across{{50, -40}, {200, -100}, {-60, 30}, {-200, 0}};
        QTest::newRow("cold start, within reach") << false << false << near;
        QTest::newRow("start from the captures, within reach") << false << true << near;
        QTest::newRow("beyond reach") << false << false << QList<QPoint>{{-300, -200}, {-65, 0}, {0, 100}};
        QTest::newRow("across the monitor boundary") << true << false << across;
        QTest::newRow("from the captures, across the boundary") << true << true << across;
    }
    void dragsShowTheWallpaperOfTheNewPlace()
    {
        QFETCH(bool, twoScreens);
        QFETCH(bool, warmStart);
        QFETCH(QList<QPoint>, drags);
        TRig rig;
        // Scaled JPEG pictures: rows decoded behind the window only, smoothed while composed.
        const QString first = rig.Folder + QStringLiteral("first.jpg");
        QVERIFY(PatternPicture({1500, 1000}).save(first, "JPG", 90));
        rig.Platform.Facts = {first, platform::TWallpaperPlacement::Fill, QColor(10, 20, 30)};
        if (twoScreens) {
            const QString second = rig.Folder + QStringLiteral("second.jpg");
            QVERIFY(PatternPicture({700, 900}).transformed(QTransform().rotate(90)).save(second, "JPG", 90));
            rig.Platform.OtherScreens = {{{1024, 0, 1024, 768}, {1024, 0, 1024, 768}, QStringLiteral("DUMMY1")}};
            rig.Platform.Virtual = QRect(0, 0, 2048, 768);
            rig.Platform.ScreenFacts[1] = {second, platform::TWallpaperPlacement::Stretched, QColor(90, 60, 30)};
        }
        store::TCalSetting settings;
        settings.CanMoved = true;
        rig.SaveSettings(settings);
        if (warmStart)
            rig.Create().Start();  // leaves the captures of the start place
        TCalendarForm& form = rig.Create();
        form.Start();
        const QPoint start = form.pos();
        const QImage desk = WholeDesktop(rig);
        for (int i = 0; i < drags.size(); ++i) {
            const QPoint target = form.pos() + drags[i];
            DragTo(form, target);
            const std::optional<TCaptureFiles::TLastCapture> shown = TCaptureFiles(rig.Folder).LastCapture();
            QVERIFY(shown);
            QVERIFY2(shown->Window == desk.copy(form.geometry()), qPrintable(QStringLiteral("drag %1").arg(i)));
            const TDayCell& cell = form.DayGrid().Items().at(i).Cell;
            QCOMPARE(Icon(form, i + 1), desk.copy(QRect(target + QPoint(cell.Position.x() + 20,
                                                                        GridTop + cell.Position.y()),
                                                         QSize(32, 32))));
            if (i == 0 && std::max(std::abs(drags[0].x()), std::abs(drags[0].y())) <= 64)
                QCOMPARE(form.WallPaper().DeskOrigin(), start - QPoint(64, 64));
        }
    }

    // A pure rule: where a window goes when the screens changed under it.
    void keptOnScreen_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QList<TScreenArea>>("screens");
        QTest::addColumn<QPoint>("expected");
        const TScreenArea big{{0, 0, 1280, 800}, {0, 0, 1280, 772}};
        const TScreenArea small{{0, 0, 1024, 672}, {0, 0, 1024, 644}};
        const TScreenArea right{{1024, 0, 800, 600}, {1024, 30, 800, 570}};
        const QSize calendar(296, 216);
        QTest::newRow("wholly on screen stays") << QRect({100, 100}, calendar) << QList{small} << QPoint(100, 100);
        QTest::newRow("under the panel but on screen stays") << QRect({728, 456}, calendar) << QList{small}
                                                              << QPoint(728, 456);
        QTest::newRow("screen shrank: into the work area") << QRect({984, 584}, calendar) << QList{small}
                                                            << QPoint(728, 428);
        QTest::newRow("across two screens side by side stays") << QRect({900, 100}, calendar)
                                                                << QList{small, right} << QPoint(900, 100);
        QTest::newRow("mostly on the right screen") << QRect({1700, 400}, calendar) << QList{small, right}
                                                     << QPoint(1528, 384);
        QTest::newRow("monitor gone: nearest by distance") << QRect({3000, 100}, calendar)
                                                           << QList{small, right} << QPoint(1528, 100);
        QTest::newRow("above and left of everything") << QRect({-500, -400}, calendar) << QList{big}
                                                      << QPoint(0, 0);
        QTest::newRow("larger than the work area") << QRect(10, 10, 1500, 900) << QList{big} << QPoint(0, 0);
        QTest::newRow("no screens") << QRect({5000, 5000}, calendar) << QList<TScreenArea>{}
                                    << QPoint(5000, 5000);
    }
    void keptOnScreen()
    {
        QFETCH(QRect, window);
        QFETCH(QList<TScreenArea>, screens);
        QFETCH(QPoint, expected);
        QCOMPARE(KeptOnScreen(window, screens), expected);
    }

    // A smaller screen: the calendar comes back on it, keeps that place in the settings, and its
    // cells show the wallpaper composed for the new screen.
    void smallerScreenBringsTheCalendarBack()
    {
        TRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        QCOMPARE(form.pos(), QPoint(1024 - 296, 738 - 216));
        rig.Platform.ChangeScreens({0, 0, 800, 600}, {0, 0, 800, 570});
        QTRY_COMPARE(form.pos(), QPoint(800 - 296, 570 - 216));
        QCOMPARE(rig.Core->Settings().Top, 570 - 216);
        store::TCalSetting saved;
        saved.LoadFromFile(rig.File(SettingsFileName));
        QCOMPARE(QPoint(saved.Left, saved.Top), form.pos());
        const QImage desk = WholeDesktop(rig);
        QCOMPARE(desk.size(), QSize(800, 600));
        const TDayCell& cell = form.DayGrid().Items().first().Cell;
        QCOMPARE(Icon(form, 1), desk.copy(QRect(form.pos() + QPoint(cell.Position.x() + 20,
                                                                     GridTop + cell.Position.y()),
                                                QSize(32, 32))));
        QVERIFY(rig.Errors.isEmpty());

        // A larger screen leaves the calendar where it is, with the new composition.
        const int reads = rig.Platform.FactsReads;
        rig.Platform.ChangeScreens({0, 0, 1280, 800}, {0, 0, 1280, 770});
        QTRY_VERIFY(rig.Platform.FactsReads > reads);
        QCOMPARE(form.pos(), QPoint(800 - 296, 570 - 216));
        QCOMPARE(Icon(form, 1), WholeDesktop(rig).copy(QRect(form.pos() + QPoint(cell.Position.x() + 20,
                                                                                  GridTop + cell.Position.y()),
                                                             QSize(32, 32))));
    }
};

QTEST_MAIN(TCalendarFormTest)
#include "test_calendarform.moc"
