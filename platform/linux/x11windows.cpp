#include "linux/linuxplatform.h"

namespace orvenna::platform {

void TLinuxPlatform::AttachToDesktop(QWidget*) {}
void TLinuxPlatform::SetTaskBarPresence(QWidget*, bool) {}
bool TLinuxPlatform::RegisterHotKey(std::function<void()>) { return false; }
void TLinuxPlatform::UnregisterHotKey() {}

}  // namespace orvenna::platform
