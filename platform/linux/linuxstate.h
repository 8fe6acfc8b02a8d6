#pragma once
// Private state of TLinuxPlatform, shared by its service files.

#include "platform/linux/linuxplatform.h"

#include <functional>
#include <memory>

namespace orvenna::platform {

class TDesktopFactsWatch;  // desktopfacts.cpp
class THotKeyGrab;         // x11windows.cpp
class TSoundContext;       // session.cpp

struct TLinuxPlatform::TState {
    int InstanceLockFd = -1;
    std::function<void()> DesktopFactsChanged;
    std::shared_ptr<TDesktopFactsWatch> FactsWatch;
    std::shared_ptr<THotKeyGrab> HotKey;
    std::shared_ptr<TSoundContext> Sound;
};

}  // namespace orvenna::platform
