#include "app/openers.h"

#include "app/browseopener.h"
#include "app/daynotes.h"
#include "app/settingsopener.h"

namespace orvenna::app {

void ConnectOpeners(TAppCore& core, TCalendarForm& calendar)
{
    new TDayNotes(core, calendar);
    new TSettingsOpener(core, calendar);
    new TBrowseOpener(core, calendar);
}

}  // namespace orvenna::app
