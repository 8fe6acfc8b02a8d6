#pragma once
// Private state of TLinuxPlatform, shared by its service files.

#include "platform/linux/linuxplatform.h"
#include "platform/programfolder.h"

#include <memory>
#include <optional>

namespace orvenna::platform {

class TClockWatch;         // clockwatch.cpp
class TDesktopFactsWatch;  // desktopfacts.cpp
class THotKeyGrab;         // hotkey.cpp
class TSoundContext;       // session.cpp
class TStopSignals;        // stopsignals.cpp

struct TLinuxPlatform::TState {
    int InstanceLockFd = -1;
    std::optional<TProgramFiles> Files;  // shell.cpp, chosen at the first look
    std::shared_ptr<TClockWatch> ClockWatch;
    std::shared_ptr<TDesktopFactsWatch> FactsWatch;
    std::shared_ptr<THotKeyGrab> HotKey;
    std::shared_ptr<TSoundContext> Sound;
    std::shared_ptr<TStopSignals> StopSignals;
};

}  // namespace orvenna::platform
