// The calendar while monitors come and go, on the fake desktop: it is brought onto the screens
// that remain, and back to its place on a monitor when that monitor returns, by output name,
// also at a later start; "Monitor.dat" holds the memory, "Setting.cfg" the last position.
#include "tests/support/calendarrig.h"

#include "app/daygrid.h"
#include "app/monitormemory.h"
#include "store/monitorplace.h"

#include <QTest>
#include <QTransform>

using namespace orvenna;
using namespace orvenna::app;
using platform::TScreen;
using TRig = orvenna::test::TCalendarRig;
using orvenna::test::DragTo;

Q_DECLARE_METATYPE(orvenna::platform::TScreen)

namespace {

const QRect Primary(0, 0, 1024, 768);
const QRect PrimaryWork(0, 0, 1024, 738);
const TScreen Second{{1024, 0, 1024, 768}, {1024, 0, 1024, 768}, QStringLiteral("DUMMY1")};

void ShowScreens(TRig& rig, const QList<TScreen>& others)
{
    rig.Platform.PrimaryName = QStringLiteral("DUMMY0");
    rig.Platform.ChangeScreens(Primary, PrimaryWork, others);
}

// The screens changed under a running calendar, and waited for until the calendar has taken the
// change up (it reads the desktop again once the burst has settled).
void ShowScreensSettled(TRig& rig, const QList<TScreen>& others)
{
    const int reads = rig.Platform.FactsReads;
    ShowScreens(rig, others);
    QTRY_VERIFY(rig.Platform.FactsReads > reads);
}

// A calendar the user may drag, at stored (none: the start's own place).
// A burst of desktop changes settles sooner than in the program, for a quicker run.
constexpr int SettleMs = 60;

TCalendarForm& CreateMovable(TRig& rig, QPoint stored = {})
{
    store::TCalSetting settings;
    settings.CanMoved = true;
    settings.Left = stored.x();
    settings.Top = stored.y();
    rig.SaveSettings(settings);
    TCalendarForm& form = rig.Create();
    form.SetDesktopSettleMs(SettleMs);
    return form;
}


QPoint StoredPosition(const TRig& rig)
{
    store::TCalSetting saved;
    saved.LoadFromFile(rig.File(SettingsFileName));
    return {saved.Left, saved.Top};
}

}  // namespace

class TMonitorsTest final : public QObject {
    Q_OBJECT

private slots:
    void monitorGoneAndBack_data()
    {
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<TScreen>("back");
        QTest::addColumn<QPoint>("whileGone");
        QTest::addColumn<QPoint>("afterReturn");
        const TScreen left{{-800, 0, 800, 600}, {-800, 0, 800, 600}, QStringLiteral("DUMMY1")};
        const TScreen small{{1024, 0, 640, 480}, {1024, 0, 640, 480}, QStringLiteral("DUMMY1")};
        const TScreen other{{1024, 0, 1024, 768}, {1024, 0, 1024, 768}, QStringLiteral("DUMMY2")};
        QTest::newRow("plugged back where it was") << QPoint(1300, 200) << Second << QPoint(728, 200) << QPoint(1300, 200);
        QTest::newRow("plugged back on the left") << QPoint(1300, 200) << left << QPoint(728, 200) << QPoint(-524, 200);
        QTest::newRow("across the boundary, mostly on it") << QPoint(900, 100) << Second << QPoint(728, 100)
                                                           << QPoint(900, 100);
        QTest::newRow("another monitor comes instead") << QPoint(1300, 200) << other << QPoint(728, 200)
                                                       << QPoint(728, 200);
        QTest::newRow("back too small for the place") << QPoint(1500, 350) << small << QPoint(728, 350)
                                                      << QPoint(728, 350);
        QTest::newRow("on the primary, untouched") << QPoint(300, 200) << Second << QPoint(300, 200) << QPoint(300, 200);
    }
    void monitorGoneAndBack()
    {
        QFETCH(QPoint, place);
        QFETCH(TScreen, back);
        QFETCH(QPoint, whileGone);
        QFETCH(QPoint, afterReturn);
        TRig rig;
        ShowScreens(rig, {Second});
        TCalendarForm& form = CreateMovable(rig);
        form.Start();
        DragTo(form, place);

        ShowScreens(rig, {});
        QTRY_COMPARE(form.pos(), whileGone);
        QCOMPARE(StoredPosition(rig), whileGone == place ? QPoint(0, 0) : whileGone);
        ShowScreensSettled(rig, {back});
        QCOMPARE(form.pos(), afterReturn);
        if (afterReturn != place && afterReturn != whileGone)
            QCOMPARE(StoredPosition(rig), afterReturn);
        QVERIFY(rig.Errors.isEmpty());
    }

    // The second monitor moved to the other side of the first: the calendar moves with it.
    void movedMonitorTakesTheCalendarAlong()
    {
        TRig rig;
        ShowScreens(rig, {Second});
        TCalendarForm& form = CreateMovable(rig);
        form.Start();
        DragTo(form, QPoint(1300, 200));
        ShowScreens(rig, {{{-1024, 0, 1024, 768}, {-1024, 0, 1024, 768}, QStringLiteral("DUMMY1")}});
        QTRY_COMPARE(form.pos(), QPoint(-748, 200));
        QCOMPARE(StoredPosition(rig), QPoint(-748, 200));
    }

    // Closed on the second monitor, started without it: the corner of the primary one, and back
    // on the monitor as soon as it is plugged in. Unplugged again, it is brought back once more.
    void monitorComesBackAfterTheNextStart()
    {
        TRig rig;
        ShowScreens(rig, {Second});
        TCalendarForm& first = CreateMovable(rig);
        first.Start();
        DragTo(first, QPoint(1400, 300));
        first.close();
        QCOMPARE(StoredPosition(rig), QPoint(1400, 300));

        rig.Platform.ChangeScreens(Primary, PrimaryWork, {});
        TCalendarForm& form = rig.Create();
        form.Start();
        QCOMPARE(form.pos(), QPoint(1024 - 296, 738 - 216));
        ShowScreens(rig, {Second});
        QTRY_COMPARE(form.pos(), QPoint(1400, 300));
        QCOMPARE(StoredPosition(rig), QPoint(1400, 300));
        ShowScreens(rig, {});
        QTRY_COMPARE(form.pos(), QPoint(728, 300));
    }

    // Only a place the memory knows is taken back: one moved by hand, or one the file does not
    // agree with, stays.
    void placesTheMemoryDoesNotKnowStay_data()
    {
        QTest::addColumn<QString>("memory");
        QTest::addColumn<QPoint>("stored");
        QTest::addColumn<bool>("dragAway");
        QTest::addColumn<QPoint>("expected");
        const QString away = QStringLiteral("Orvenna monitor 1\nOutput=DUMMY1\nScreen=1024,0\nPlace=1300,200\nAway=%1\nEnd\n");
        QTest::newRow("put away by the program: back") << away.arg("100,100") << QPoint(100, 100) << false << QPoint(1300, 200);
        QTest::newRow("Setting.cfg elsewhere") << away.arg("100,100") << QPoint(150, 120) << false << QPoint(150, 120);
        QTest::newRow("Setting.cfg on no screen, another place remembered")
            << QStringLiteral("Orvenna monitor 1\nOutput=DUMMY1\nScreen=1024,0\nPlace=1300,200\nEnd\n") << QPoint(3000, 3000)
            << false << QPoint(1024 - 296, 738 - 216);
        QTest::newRow("moved by hand since") << away.arg("100,100") << QPoint(100, 100) << true << QPoint(60, 40);
        QTest::newRow("damaged file") << QStringLiteral("Orvenna monitor 1\nOutput=DUMMY1\n") << QPoint(100, 100) << false
                                      << QPoint(100, 100);
    }
    void placesTheMemoryDoesNotKnowStay()
    {
        QFETCH(QString, memory);
        QFETCH(QPoint, stored);
        QFETCH(bool, dragAway);
        QFETCH(QPoint, expected);
        TRig rig;
        QFile file(rig.Folder + QLatin1String(store::MonitorPlaceFileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(memory.toUtf8());
        file.close();
        rig.Platform.ChangeScreens(Primary, PrimaryWork, {});
        TCalendarForm& form = CreateMovable(rig, stored);
        form.Start();
        if (Primary.contains(stored))
            QCOMPARE(form.pos(), stored);
        if (dragAway)
            DragTo(form, QPoint(60, 40));
        ShowScreensSettled(rig, {Second});
        QCOMPARE(form.pos(), expected);
    }

    // At a device pixel ratio of 2 (QT_SCALE_FACTOR=2) the cells are cut by the mask drawn at
    // that resolution, where the system shapes windows in device pixels; elsewhere the widget
    // mask stays.
    void cellsAreCutAtDeviceResolution_data()
    {
        QTest::addColumn<bool>("deviceShapes");
        QTest::newRow("system shapes in device pixels") << true;
        QTest::newRow("widget mask only") << false;
    }
    void cellsAreCutAtDeviceResolution()
    {
        QFETCH(bool, deviceShapes);
        TRig rig;
        rig.Platform.DeviceShapeAllowed = deviceShapes;
        TCalendarForm& form = rig.Create();
        form.Start();
        if (form.devicePixelRatio() != 2.0)
            QSKIP("needs QT_SCALE_FACTOR=2 (test_monitors_ratio2)");
        if (!deviceShapes) {
            QVERIFY(form.DeviceWindowShape().isEmpty());
            QCOMPARE(form.mask(), form.WindowShape());
            return;
        }
        const QRegion& shape = form.DeviceWindowShape();
        QCOMPARE(rig.Platform.DeviceShapes[&form], shape);
        QVERIFY(form.mask().isEmpty());
        QVERIFY(shape.contains(QRect(0, 0, 592, 64)));
        const QRegion fine = RegionFromPicture(QImage(rig.Folder + QStringLiteral("images/2@2x.bmp")));
        QCOMPARE(fine.boundingRect().size(), QSize(52, 52));
        for (const TDayItem& item : form.DayGrid().Items()) {
            const QPoint corner = CellShapeOrigin(item.Cell.Position) * 2;
            QCOMPARE(shape & QRect(corner, QSize(52, 52)), fine.translated(corner));
        }
        QVERIFY(shape != QTransform::fromScale(2, 2).map(form.WindowShape()));
    }
};

QTEST_MAIN(TMonitorsTest)
#include "test_monitors.moc"
