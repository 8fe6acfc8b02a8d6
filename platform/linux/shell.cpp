#include "linux/linuxplatform.h"

namespace orvenna::platform {

QString TLinuxPlatform::ExecutablePath() const { return {}; }
QString TLinuxPlatform::ProgramFolder() const { return {}; }
void TLinuxPlatform::SetClipboardText(const QString&) {}
bool TLinuxPlatform::OpenUrl(const QString&) { return false; }

}  // namespace orvenna::platform
