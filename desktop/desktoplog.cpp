#include "desktop/desktoplog.h"

namespace orvenna::desktop {
Q_LOGGING_CATEGORY(lcDesktop, "orvenna.desktop")
Q_LOGGING_CATEGORY(lcTrace, "orvenna.trace", QtInfoMsg)
}
