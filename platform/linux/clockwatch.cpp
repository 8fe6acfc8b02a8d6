// The wall clock watch: a realtime timerfd armed far ahead with TFD_TIMER_CANCEL_ON_SET. The
// kernel cancels such a timer whenever the realtime clock is set discontinuously: by the user or
// a time daemon stepping it, and when the system resumes from sleep (the kernel steps the clock
// by the time slept). The read then fails with ECANCELED; the timer is armed again and the
// change is reported. Besides, logind's PrepareForSleep(false) on the system bus reports a
// resume where there is a logind. Nothing wakes the program otherwise.
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"
#include "platform/platformlog.h"

#include <QDBusConnection>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <functional>

#include <sys/timerfd.h>
#include <unistd.h>

namespace orvenna::platform {

// logind's signal, which needs a slot to arrive at.
class TSleepWatch final : public QObject {
    Q_OBJECT

public:
    explicit TSleepWatch(std::function<void()> resumed) : Resumed(std::move(resumed))
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected() ||
            !bus.connect(QStringLiteral("org.freedesktop.login1"),
                         QStringLiteral("/org/freedesktop/login1"),
                         QStringLiteral("org.freedesktop.login1.Manager"),
                         QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool))))
            qCInfo(lcPlatform) << "no sleep signal from logind; the clock watch alone tells resumes";
    }

private slots:
    void PrepareForSleep(bool sleeping)
    {
        if (!sleeping)
            Resumed();
    }

private:
    std::function<void()> Resumed;
};

class TClockWatch final {
public:
    explicit TClockWatch(std::function<void()> changed)
        : Changed(std::move(changed)), Sleep(std::make_unique<TSleepWatch>(Changed))
    {
        Fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (Fd < 0 || !Arm()) {
            qCWarning(lcPlatform) << "clock changes are not watched:" << std::strerror(errno);
            return;
        }
        Notifier = std::make_unique<QSocketNotifier>(Fd, QSocketNotifier::Read);
        QObject::connect(Notifier.get(), &QSocketNotifier::activated, Notifier.get(),
                         [this] { Read(); });
    }
    ~TClockWatch()
    {
        Notifier.reset();
        if (Fd >= 0)
            ::close(Fd);
    }
    TClockWatch(const TClockWatch&) = delete;
    TClockWatch& operator=(const TClockWatch&) = delete;

private:
    // About a century ahead: the timer itself never runs out, only a clock change ends it.
    bool Arm()
    {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        itimerspec far{};
        far.it_value.tv_sec = now.tv_sec + 100LL * 365 * 24 * 3600;
        return ::timerfd_settime(Fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) == 0;
    }

    void Read()
    {
        std::uint64_t expirations = 0;
        const ssize_t got = ::read(Fd, &expirations, sizeof expirations);
        if (got < 0 && errno == EAGAIN)
            return;
        // ECANCELED is the clock change; an expiry (a clock set a century ahead) counts too.
        if (!Arm()) {
            qCWarning(lcPlatform) << "clock watch stopped:" << std::strerror(errno);
            Notifier->setEnabled(false);
        }
        Changed();
    }

    std::function<void()> Changed;
    std::unique_ptr<TSleepWatch> Sleep;
    int Fd = -1;
    std::unique_ptr<QSocketNotifier> Notifier;
};

void TLinuxPlatform::WatchClock()
{
    if (!State->ClockWatch)
        State->ClockWatch = std::make_shared<TClockWatch>([this] { emit ClockChanged(); });
}

}  // namespace orvenna::platform

#include "clockwatch.moc"
