#include "app/localeformat.h"

namespace orvenna::app {

store::TLocalFormat LocalFormatFromLocale(const QLocale& locale)
{
    store::TLocalFormat format;
    for (int m = 1; m <= 12; ++m) {
        format.ShortMonthNames[m - 1] = locale.monthName(m, QLocale::ShortFormat).toStdString();
        format.LongMonthNames[m - 1] = locale.monthName(m, QLocale::LongFormat).toStdString();
    }
    // Qt counts Monday as 1 and Sunday as 7; the record starts on Sunday.
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;
        format.ShortDayNames[d] = locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
        format.LongDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat).toStdString();
    }
    format.ShortDateFormat = locale.dateFormat(QLocale::ShortFormat).toStdString();
    format.LongDateFormat = locale.dateFormat(QLocale::LongFormat).toStdString();
    format.ShortTimeFormat = locale.timeFormat(QLocale::ShortFormat).toStdString();
    format.LongTimeFormat = locale.timeFormat(QLocale::LongFormat).toStdString();
    format.TimeAMString = locale.amText().toStdString();
    format.TimePMString = locale.pmText().toStdString();
    format.FirstWeekday = locale.firstDayOfWeek() % 7;  // Qt's Sunday is 7
    return format;
}

}  // namespace orvenna::app
