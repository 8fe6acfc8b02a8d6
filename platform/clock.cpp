#include "platform/clock.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace orvenna::platform {

double TSystemClock::Now() const
{
    // Day count from 30 December 1899 of the local wall-clock time.
    const QDateTime now = QDateTime::currentDateTime();
    const QDate epoch(1899, 12, 30);
    const double days = static_cast<double>(epoch.daysTo(now.date()));
    const double msOfDay = static_cast<double>(now.time().msecsSinceStartOfDay());
    return days + msOfDay / 86400000.0;
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

}  // namespace orvenna::platform
