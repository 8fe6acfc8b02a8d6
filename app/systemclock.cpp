#include "app/systemclock.h"

#include "store/datetime.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace orvenna::app {

double TSystemClock::Now() const
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    return store::EncodeDate(date.year(), date.month(), date.day())
           + now.time().msecsSinceStartOfDay() / store::MSecsPerDay;
}

std::uint32_t TSystemClock::TickCount() const
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint32_t>(timer.elapsed());
}

}  // namespace orvenna::app
