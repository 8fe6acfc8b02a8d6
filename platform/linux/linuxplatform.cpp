#include "linux/linuxplatform.h"
#include "linux/linuxstate.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <unistd.h>

namespace orvenna::platform {

std::unique_ptr<TPlatform> CreateSystemPlatform()
{
    return std::make_unique<TLinuxPlatform>();
}

TLinuxPlatform::TLinuxPlatform() : State(std::make_unique<TState>()) {}

TLinuxPlatform::~TLinuxPlatform()
{
    if (State->InstanceLockFd >= 0)
        ::close(State->InstanceLockFd);
}

bool TLinuxPlatform::IsX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool TLinuxPlatform::CanAttachToDesktop() const { return IsX11(); }
bool TLinuxPlatform::CanRegisterHotKey() const { return IsX11(); }
bool TLinuxPlatform::CanShowTrayIcon() const { return false; }

}  // namespace orvenna::platform
