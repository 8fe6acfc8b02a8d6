#pragma once
// The log category of the desktop tools ("orvenna.desktop").

#include <QLoggingCategory>

namespace orvenna::desktop {
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
}
