// The "&Setting..." command: will hold the opening of the settings dialog. Until the dialog
// exists the command stays disabled.
#include "app/settingsopener.h"

#include "app/appcore.h"
#include "app/calendarform.h"

namespace orvenna::app {

namespace {
constexpr bool SettingDialogReady = false;  // true once Setting1Click opens the dialog
}

TSettingsOpener::TSettingsOpener(TAppCore& core, TCalendarForm& calendar)
    : QObject(&calendar), Core(core), Calendar(calendar)
{
    Calendar.SetSettingEnabled(SettingDialogReady);
    connect(&Calendar, &TCalendarForm::SettingRequested, this, &TSettingsOpener::Setting1Click);
}

void TSettingsOpener::Setting1Click() {}

void TSettingsOpener::SettingDialogClosed(bool confirmed)
{
    if (confirmed)
        Core.ApplySettings();
}

}  // namespace orvenna::app
