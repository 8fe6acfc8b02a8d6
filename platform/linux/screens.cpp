#include "linux/linuxplatform.h"

namespace orvenna::platform {

QRect TLinuxPlatform::PrimaryScreen() const { return {}; }
QRect TLinuxPlatform::VirtualDesktop() const { return {}; }
QRect TLinuxPlatform::WorkArea() const { return {}; }
std::optional<QRect> TLinuxPlatform::TaskBarRect() const { return std::nullopt; }

}  // namespace orvenna::platform
