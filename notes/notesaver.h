#pragma once
// How a note window has the store saved after it changed the store's papers. The program's
// core is the one writer of the notes file: it writes the whole store, announces the change to
// every window once, and reports a failure itself. A window only learns whether it worked.

#include <functional>

namespace orvenna::notes {

// Saves the store now; false when it could not be saved (the saver has said why).
using TSaveNotes = std::function<bool()>;

}  // namespace orvenna::notes
