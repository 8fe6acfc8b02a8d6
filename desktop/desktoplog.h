#pragma once
// The log category of the desktop tools ("orvenna.desktop"), and the program's trace
// ("orvenna.trace": what the windows do, step by step; off unless switched on).

#include <QLoggingCategory>

namespace orvenna::desktop {
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
Q_DECLARE_LOGGING_CATEGORY(lcTrace)
}
