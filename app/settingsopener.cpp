// The "&Setting..." command: a new settings dialog on the live settings record for every use,
// shown modally; a confirmed dialog has saved "Setting.cfg" and the core applies the record.
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
    settings::TSettingForm form(Core.Platform(), Core.ProgramFolder(), std::move(hooks), &Calendar);
    form.CalSetting = &Core.Settings();
    form.AlertState = &Core.Alerts().State();
    SettingDialogClosed(form.exec() == settings::mrOk);
}

void TSettingsOpener::SettingDialogClosed(bool confirmed)
{
    if (confirmed)
        Core.ApplySettings();
}

}  // namespace orvenna::app
