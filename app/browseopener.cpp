// The "&Browse..." command: will hold the opening of the note browser. Until the browser
// exists the command stays disabled.
#include "app/browseopener.h"

#include "app/appcore.h"
#include "app/calendarform.h"

namespace orvenna::app {

namespace {
constexpr bool BrowserReady = false;  // true once Browse1Click opens the browser
}

TBrowseOpener::TBrowseOpener(TAppCore& core, TCalendarForm& calendar)
    : QObject(&calendar), Core(core), Calendar(calendar)
{
    Calendar.SetBrowseEnabled(BrowserReady);
    connect(&Calendar, &TCalendarForm::BrowseRequested, this, &TBrowseOpener::Browse1Click);
}

void TBrowseOpener::Browse1Click() {}

}  // namespace orvenna::app
