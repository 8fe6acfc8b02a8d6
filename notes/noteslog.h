#pragma once
// The log category of the note windows ("orvenna.notes").

#include <QLoggingCategory>

namespace orvenna::notes {
Q_DECLARE_LOGGING_CATEGORY(lcNotes)
}
