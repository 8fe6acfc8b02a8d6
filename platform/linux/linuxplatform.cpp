#include "platform/linux/linuxplatform.h"
#include "platform/linux/dialogframes.h"
#include "platform/linux/linuxstate.h"

#include <QGuiApplication>
#include <QMetaMethod>

#include <malloc.h>
#include <unistd.h>

namespace orvenna::platform {

std::unique_ptr<TPlatform> CreateSystemPlatform()
{
    // A fixed threshold: the C library otherwise raises it to the size of the largest block
    // freed (a wallpaper decoded at start is tens of megabytes), and from then on keeps every
    // freed picture's memory instead of handing it back, about a megabyte after a start that
    // composed the desktop afresh.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    return std::make_unique<TLinuxPlatform>();
}

TLinuxPlatform::TLinuxPlatform(QObject* parent)
    : TQtPlatform(parent), State(std::make_unique<TState>())
{
    WatchFixedDialogFrames();
}

TLinuxPlatform::~TLinuxPlatform()
{
    if (State->InstanceLockFd >= 0)
        ::close(State->InstanceLockFd);
}

bool TLinuxPlatform::IsX11()
{
    // The platform name alone is not enough: the X11 handles must really be reachable.
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>() != nullptr;
}

bool TLinuxPlatform::CanAttachToDesktop() const { return IsX11(); }
bool TLinuxPlatform::CanRegisterHotKey() const { return IsX11(); }

void TLinuxPlatform::connectNotify(const QMetaMethod& signal)
{
    TQtPlatform::connectNotify(signal);
    if (signal == QMetaMethod::fromSignal(&TPlatform::DesktopFactsChanged))
        WatchDesktopFacts();
    if (signal == QMetaMethod::fromSignal(&TPlatform::ClockChanged))
        WatchClock();
    if (signal == QMetaMethod::fromSignal(&TPlatform::StopRequested))
        WatchStopSignals();
}

}  // namespace orvenna::platform
