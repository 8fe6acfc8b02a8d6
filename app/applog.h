#pragma once
// The logging category of the program's windows and state ("orvenna.app"). Warnings are on
// by default; QT_LOGGING_RULES="orvenna.app.debug=true" shows the rest.

#include <QLoggingCategory>

namespace orvenna::app {

Q_DECLARE_LOGGING_CATEGORY(lcApp)

}  // namespace orvenna::app
