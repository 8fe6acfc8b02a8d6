#pragma once
// What the windows show of the syncs with the calendar server: the tray icon's tool tip, the
// settings dialog's "Sync" page kept up to date while it is open, and the question for the
// password when the desktop keeps none. GUI thread only.

#include <QString>

class QWidget;

namespace orvenna::settings {
class TSyncPage;
}

namespace orvenna::app {

class TSyncRunner;
struct TSyncStatus;

// "Orvenna", then, when something is synced or subscribed, the line of the syncs and the
// errors, one per kind.
QString TrayToolTip(const TSyncRunner& sync, double today);

// Fills the page from the runner's account and state, keeps its state current while it lives,
// and has "Sync now" take the page's account (an account that cannot be saved is shown in an
// error box over the page).
void ConnectSyncPage(settings::TSyncPage& page, TSyncRunner& sync, double today);
// After OK: the page's account and password go to the runner when they changed (which syncs).
void ApplySyncPage(const settings::TSyncPage& page, TSyncRunner& sync);

// Asks for the password of the runner's account in a modal dialog over owner; a typed one is
// handed to the runner, which syncs at once. Cancel leaves the syncs waiting for "Sync now".
void AskSyncPassword(QWidget* owner, TSyncRunner& sync);

}  // namespace orvenna::app
