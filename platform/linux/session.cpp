#include "linux/linuxplatform.h"

namespace orvenna::platform {

bool TLinuxPlatform::PlaySound(const QString&) { return false; }
bool TLinuxPlatform::AcquireSingleInstance(const QString&) { return true; }

}  // namespace orvenna::platform
