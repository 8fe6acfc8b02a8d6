// The signals that ask the program to end: SIGTERM (sent at log-out and shut-down by session
// and service managers), SIGHUP (the terminal it was started from went away) and SIGINT
// (Ctrl+C there). By default each ends the process on the spot, and whatever an open editor
// holds is lost. Here the handler only writes a byte into a pipe, which any thread may do at
// any moment; the event loop reads it and reports the request, and the program ends the way
// its own "E&xit" does. The request is reported once: from then on the signals have their
// default action again, so a second one ends a program that could not end by itself (a note
// it cannot save keeps it open) at once.
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"
#include "platform/platformlog.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace orvenna::platform {
namespace {

constexpr std::array StopSignalNumbers{SIGTERM, SIGHUP, SIGINT};
int StopPipeWrite = -1;

extern "C" void OnStopSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request: nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(StopPipeWrite, &byte, 1);
    errno = saved;
}

}  // namespace

class TStopSignals final {
public:
    explicit TStopSignals(std::function<void()> requested) : Requested(std::move(requested))
    {
        if (::pipe2(Pipe.data(), O_NONBLOCK | O_CLOEXEC) != 0) {
            qCWarning(lcPlatform) << "the signals to end are not watched:" << std::strerror(errno);
            return;
        }
        StopPipeWrite = Pipe[1];
        Notifier = std::make_unique<QSocketNotifier>(Pipe[0], QSocketNotifier::Read);
        QObject::connect(Notifier.get(), &QSocketNotifier::activated, Notifier.get(),
                         [this] { Read(); });
        Handle(OnStopSignal);
    }
    ~TStopSignals()
    {
        if (Pipe[0] < 0)
            return;
        Handle(SIG_DFL);
        StopPipeWrite = -1;
        Notifier.reset();
        ::close(Pipe[0]);
        ::close(Pipe[1]);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

private:
    static void Handle(void (*handler)(int))
    {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int number : StopSignalNumbers)
            ::sigaction(number, &action, nullptr);
    }

    void Read()
    {
        std::array<char, 64> bytes{};
        bool any = false;
        while (::read(Pipe[0], bytes.data(), bytes.size()) > 0)
            any = true;
        if (!any)
            return;
        Handle(SIG_DFL);
        Requested();
    }

    std::function<void()> Requested;
    std::array<int, 2> Pipe{-1, -1};
    std::unique_ptr<QSocketNotifier> Notifier;
};

void TLinuxPlatform::WatchStopSignals()
{
    if (!State->StopSignals)
        State->StopSignals = std::make_shared<TStopSignals>([this] { emit StopRequested(); });
}

}  // namespace orvenna::platform
