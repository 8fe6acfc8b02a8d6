// Day counts become dates by the store's rules, and the system clock counts from the same day.
#include "app/appcore.h"
#include "app/systemclock.h"
#include "store/datetime.h"

#include <QTest>

#include <cmath>

using namespace orvenna;

class TDayOriginTest final : public QObject {
    Q_OBJECT

private slots:
    void daysBecomeDates_data()
    {
        QTest::addColumn<double>("days");
        QTest::addColumn<QDate>("date");  // invalid: outside the years 1 to 9999
        QTest::newRow("origin") << 0.0 << QDate(1899, 12, 30);
        QTest::newRow("time of day dropped") << 45000.75 << QDate(2023, 3, 15);
        QTest::newRow("before the origin") << -1.25 << QDate(1899, 12, 29);
        QTest::newRow("unix epoch") << double(store::UnixEpochDay) << QDate(1970, 1, 1);
        QTest::newRow("past 9999") << 1e10 << QDate();
        QTest::newRow("not a number") << std::nan("") << QDate();
    }

    void daysBecomeDates()
    {
        QFETCH(double, days);
        QFETCH(QDate, date);
        QCOMPARE(app::DateFromDays(days), date);
    }

    void systemClockCountsFromTheOrigin()
    {
        const app::TSystemClock clock;
        // Read twice around the clock in case midnight passes in between.
        const QDate before = QDate::currentDate();
        const QDate shown = app::DateFromDays(clock.Now());
        const QDate after = QDate::currentDate();
        QVERIFY(shown == before || shown == after);
        const double fraction = clock.Now() - std::floor(clock.Now());
        QVERIFY(fraction >= 0 && fraction < 1);
    }
};

QTEST_MAIN(TDayOriginTest)
#include "test_dayorigin.moc"
