#include "linux/linuxplatform.h"

namespace orvenna::platform {

TDesktopFacts TLinuxPlatform::DesktopFacts() const { return {}; }
void TLinuxPlatform::WatchDesktopFacts(std::function<void()>) {}

}  // namespace orvenna::platform
