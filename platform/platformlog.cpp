#include "platform/platformlog.h"

namespace orvenna::platform {
Q_LOGGING_CATEGORY(lcPlatform, "orvenna.platform")
}
