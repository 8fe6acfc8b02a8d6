#pragma once
// TAlarmTimer: the reminder timer. Instead of looking at the clock every second it keeps one
// single-shot timer armed for the next moment that matters: the earliest moment any of its
// sources names (the next due entry of the today list, a snooze's end, ...) or the next half
// hour of the local clock, whichever comes first. The half-hour bound covers midnight (the
// day's rebuild) and the steps of daylight-saving time, which move the local clock without any
// event, and it corrects the timer within half an hour when a clock event was missed.
//
// The owner calls Rearm() whenever what the sources answer may have changed (the store, the
// settings, the system clock). After each expiry the timer is armed anew once the listeners of
// timeout() have run. Times are day counts of the local clock (see platform::TClock).
//
// Moments that passed without a check are reported by PassedUnseen, at the next expiry or
// arming after them, before timeout() listeners run: a forward jump of the wall clock by more
// than a minute against the monotonic clock (the system slept, or the time was set ahead), and
// an expiry (or arming) later than the moment the timer was armed for (the process was stopped
// or starved, the machine suspended), which the monotonic clock does not tell.

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QTimer;

namespace orvenna::platform {
class TClock;
}

namespace orvenna::app {

// The next moment (day count) that matters to a source, or none. A moment not after now counts
// as due at once.
using TMomentSource = std::function<std::optional<double>()>;

// Milliseconds since midnight of a day count's time of day; -1 outside the calendar's range.
std::int64_t TimeOfDayMs(double value);
// The first moment, now or later today, at which the reminder check finds an entry with that
// reminder time due (less than a minute from its time of day): now while it is due, the minute
// before its time while that lies ahead, none once it lies a minute or more behind.
std::optional<double> NextDueMoment(double now, double reminderTime);
// The next half hour of the local clock strictly after now (midnight among them).
double NextHalfHour(double now);

class TAlarmTimer final : public QObject {
    Q_OBJECT

public:
    // A larger step of the wall clock than of the monotonic clock counts as a jump.
    static constexpr double JumpDays = 1.0 / 1440;  // one minute
    // A moment still due right after an expiry (nobody took it) is looked at again this late.
    static constexpr int RetryMs = 1000;
    // An expiry later than this after its moment is late: what fell due meanwhile was unseen.
    static constexpr double LateDays = 1.0 / 86400;  // one second
    // A late timer reports the moments from this long before its last look on: a reminder due
    // at that look (less than a minute before it) may have waited for the expiry that came late.
    static constexpr double LookBackDays = 2.0 / 1440;  // two minutes

    // The clock must outlive the object.
    explicit TAlarmTimer(platform::TClock& clock, QObject* parent = nullptr);

    // The single-shot timer; its timeout() is the moment. Precise to the millisecond.
    QTimer& Timer() const { return *FTimer; }

    // Adds a source, asked at every arming; it is dropped when owner is destroyed (a null
    // owner: for the timer's life). Call Rearm() afterwards.
    void AddSource(QObject* owner, TMomentSource source);

    // Arms the timer and keeps it armed until Stop(). Rearm() does nothing while stopped.
    void Start();
    void Stop();
    // Checks the clock for a jump, then arms the timer for the next moment.
    void Rearm();
    // The earliest moment of the sources and the next half hour, as of now.
    double NextMoment(double now) const;

    // Where the moments that passed unseen begin, as of now: the wall clock expected by the
    // monotonic clock when it leapt ahead, LookBackDays before the last look when the timer is
    // late (the earlier of the two when both); none when nothing passed unseen.
    std::optional<double> UnseenFrom(double now) const;

signals:
    // Moments from `from` to `to` (day counts; to is now) passed without a check.
    void PassedUnseen(double from, double to);

private:
    void Expired();
    // Reports what passed unseen up to now and starts the next look from now.
    void Look(double now);
    void Arm(double now, bool justExpired);

    struct TSource {
        QObject* Owner = nullptr;
        TMomentSource Next;
    };

    platform::TClock& Clock;
    QTimer* FTimer = nullptr;  // child
    std::vector<TSource> Sources;
    bool Running = false;
    // The wall clock and the monotonic clock at the last look, for the jump check.
    double WallAtLook = 0;
    std::uint32_t TicksAtLook = 0;
    // The wall clock's moment the timer is armed for, until the next look.
    std::optional<double> ArmedFor;
};

}  // namespace orvenna::app
