#include "notes/noteslog.h"

namespace orvenna::notes {
Q_LOGGING_CATEGORY(lcNotes, "orvenna.notes", QtWarningMsg)
}
