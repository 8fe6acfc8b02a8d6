#include "linux/linuxplatform.h"

namespace orvenna::platform {

void TLinuxPlatform::SetAutoRun(bool) {}
bool TLinuxPlatform::IsAutoRunEnabled() const { return false; }

}  // namespace orvenna::platform
