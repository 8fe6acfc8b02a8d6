#pragma once
// The log category of the platform layer ("orvenna.platform"): what the system refused.

#include <QLoggingCategory>

namespace orvenna::platform {
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
}
