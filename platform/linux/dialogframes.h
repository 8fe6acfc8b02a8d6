#pragma once
// Title-bar buttons of fixed-size dialogs on X11 (see dialogframes.cpp).

namespace orvenna::platform {

// Watches the application's windows from the moment an application object exists (at once
// when one exists already); called any number of times, it watches once per application object.
void WatchFixedDialogFrames();

}  // namespace orvenna::platform
