#pragma once
// The log category of the alert popup ("orvenna.popup").

#include <QLoggingCategory>

namespace orvenna::popup {
Q_DECLARE_LOGGING_CATEGORY(lcPopup)
}
