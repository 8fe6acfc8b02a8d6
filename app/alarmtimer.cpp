#include "app/alarmtimer.h"

#include "platform/clock.h"
#include "store/datetime.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace orvenna::app {
namespace {

constexpr std::int64_t MinuteMs = 60000;
constexpr double HalfHoursPerDay = 48;

}  // namespace

std::int64_t TimeOfDayMs(double value)
{
    const auto time = store::DecodeTime(value);
    if (!time)
        return -1;
    return ((time->Hour * 60 + time->Minute) * 60 + time->Second) * 1000LL + time->MilliSecond;
}

std::optional<double> NextDueMoment(double now, double reminderTime)
{
    const std::int64_t n = TimeOfDayMs(now);
    const std::int64_t t = TimeOfDayMs(reminderTime);
    if (n < 0 || t < 0)
        return std::nullopt;
    const std::int64_t ahead = t - n;
    if (std::llabs(ahead) < MinuteMs)
        return now;
    if (ahead < 0)
        return std::nullopt;
    // The first whole millisecond less than a minute before its time.
    return now + static_cast<double>(ahead - MinuteMs + 1) / store::MSecsPerDay;
}

double NextHalfHour(double now)
{
    const double next = (std::floor(now * HalfHoursPerDay) + 1) / HalfHoursPerDay;
    return next > now ? next : next + 1 / HalfHoursPerDay;
}

TAlarmTimer::TAlarmTimer(platform::TClock& clock, QObject* parent)
    : QObject(parent), Clock(clock), FTimer(new QTimer(this))
{
    FTimer->setSingleShot(true);
    FTimer->setTimerType(Qt::PreciseTimer);
    // Connected first, so the jump is known before the other listeners of the moment run.
    connect(FTimer, &QTimer::timeout, this, &TAlarmTimer::Expired);
}

void TAlarmTimer::AddSource(QObject* owner, TMomentSource source)
{
    Sources.push_back({owner, std::move(source)});
    if (owner != nullptr)
        connect(owner, &QObject::destroyed, this, [this, owner] {
            std::erase_if(Sources, [owner](const TSource& s) { return s.Owner == owner; });
        });
}

void TAlarmTimer::Start()
{
    Running = true;
    WallAtLook = Clock.Now();
    TicksAtLook = Clock.TickCount();
    ArmedFor.reset();
    Arm(WallAtLook, false);
}

void TAlarmTimer::Stop()
{
    Running = false;
    ArmedFor.reset();
    FTimer->stop();
}

void TAlarmTimer::Rearm()
{
    if (!Running)
        return;
    const double now = Clock.Now();
    Look(now);
    Arm(now, false);
}

double TAlarmTimer::NextMoment(double now) const
{
    double next = NextHalfHour(now);
    for (const TSource& source : Sources)
        if (const std::optional<double> moment = source.Next())
            next = std::min(next, *moment);
    return next;
}

void TAlarmTimer::Expired()
{
    Look(Clock.Now());
    // Armed again once every listener of this moment has taken what it is due.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (Running)
                Arm(Clock.Now(), true);
        },
        Qt::QueuedConnection);
}

std::optional<double> TAlarmTimer::UnseenFrom(double now) const
{
    const std::uint32_t ticks = Clock.TickCount();
    const double expected = WallAtLook + static_cast<std::uint32_t>(ticks - TicksAtLook) / store::MSecsPerDay;
    std::optional<double> from;
    if (now - expected > JumpDays)
        from = expected;
    if (ArmedFor && now - *ArmedFor > LateDays)
        from = std::min(from.value_or(now), WallAtLook - LookBackDays);
    return from;
}

void TAlarmTimer::Look(double now)
{
    const std::optional<double> from = UnseenFrom(now);
    WallAtLook = now;
    TicksAtLook = Clock.TickCount();
    ArmedFor.reset();
    if (from)
        emit PassedUnseen(*from, now);
}

void TAlarmTimer::Arm(double now, bool justExpired)
{
    const double ms = (NextMoment(now) - now) * store::MSecsPerDay;
    int interval = 0;
    if (ms > 0)
        // Rounded, not raised: the day count's last bit is below a millisecond, and a timer
        // that fires a fraction early is armed again for the rest.
        interval = std::max(1, static_cast<int>(std::lround(ms)));
    else if (justExpired)
        interval = RetryMs;  // a moment nobody took: no busy loop, the old once-a-second pace
    FTimer->start(interval);
    ArmedFor = now + interval / store::MSecsPerDay;
}

}  // namespace orvenna::app
