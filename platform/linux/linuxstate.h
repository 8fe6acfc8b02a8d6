#pragma once
// Private state of TLinuxPlatform, shared by its service files.

#include "platform/linux/linuxplatform.h"

#include <memory>

namespace orvenna::platform {

class TClockWatch;         // clockwatch.cpp
class TDesktopFactsWatch;  // desktopfacts.cpp
class THotKeyGrab;         // hotkey.cpp
class TSoundContext;       // session.cpp

struct TLinuxPlatform::TState {
    int InstanceLockFd = -1;
    std::shared_ptr<TClockWatch> ClockWatch;
    std::shared_ptr<TDesktopFactsWatch> FactsWatch;
    std::shared_ptr<THotKeyGrab> HotKey;
    std::shared_ptr<TSoundContext> Sound;
};

}  // namespace orvenna::platform
