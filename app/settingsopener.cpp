// The "&Setting..." command: a new settings dialog on the live settings record for every use,
// shown modally; the core saves and applies what a confirmed dialog wrote into the record.
#include "app/settingsopener.h"

#include "app/alertbook.h"
#include "app/appcore.h"
#include "app/calendarform.h"
#include "settings/settingfrm.h"

namespace orvenna::app {

TSettingsOpener::TSettingsOpener(TAppCore& core, TCalendarForm& calendar)
    : QObject(&calendar), Core(core), Calendar(calendar)
{
    Calendar.SetSettingEnabled(true);
    connect(&Calendar, &TCalendarForm::SettingRequested, this, &TSettingsOpener::Setting1Click);
}

void TSettingsOpener::Setting1Click()
{
    settings::TSettingFormHooks hooks;
    hooks.OpenFile = OpenFile;
    hooks.ShowError = [this](const QString& text) { Core.ReportError(text); };
    settings::TSettingForm form(Core.Platform(), std::move(hooks), &Calendar);
    form.CalSetting = &Core.Settings();
    form.AlertState = &Core.Alerts().State();
    SettingDialogClosed(form.exec() == settings::mrOk);
}

void TSettingsOpener::SettingDialogClosed(bool confirmed)
{
    if (!confirmed)
        return;
    // The record holds the new values for this run whether or not they could be saved.
    Core.SaveSettings();
    Core.SaveAlertState();
    Core.ApplySettings();
}

}  // namespace orvenna::app
