// The locale record the calendar fills once and hands to its windows.
#include "app/localeformat.h"

#include <QtTest>

using orvenna::app::LocalFormatFromLocale;

class TLocaleFormatTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Weeks start on Sunday in the record whatever the locale's first day; months from January.
    void NamesStartOnSundayAndJanuary()
    {
        const auto english = LocalFormatFromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(english.ShortMonthNames[0], std::string("Jan"));
        QCOMPARE(english.LongMonthNames[11], std::string("December"));
        QCOMPARE(english.ShortDayNames[0], std::string("Sun"));
        QCOMPARE(english.LongDayNames[1], std::string("Monday"));
        QCOMPARE(english.LongDayNames[6], std::string("Saturday"));

        const auto german = LocalFormatFromLocale(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(QString::fromStdString(german.LongDayNames[0]), QStringLiteral("Sonntag"));
        QCOMPARE(QString::fromStdString(german.LongMonthNames[2]), QStringLiteral("März"));
    }

    // The patterns are the locale's own, so dates written with them read back in that locale.
    void PatternsRoundTripThroughTheLocale()
    {
        const QLocale locale(QLocale::English, QLocale::UnitedKingdom);
        const auto format = LocalFormatFromLocale(locale);
        const QDate day(2007, 3, 15);
        const QString pattern = QString::fromStdString(format.ShortDateFormat);
        QCOMPARE(locale.toDate(locale.toString(day, pattern), pattern), day);
        const QTime time(9, 30);
        const QString timePattern = QString::fromStdString(format.ShortTimeFormat);
        QCOMPARE(locale.toTime(locale.toString(time, timePattern), timePattern), time);
    }
};

QTEST_GUILESS_MAIN(TLocaleFormatTest)
#include "test_localeformat.moc"
