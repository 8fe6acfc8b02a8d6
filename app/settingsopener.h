#pragma once
// TSettingsOpener: the calendar's "&Setting..." command. Opens the settings dialog on the
// live settings record, modally; when the user confirms, the core applies the settings and
// every window follows its SettingsChanged.

#include "desktop/filedialogs.h"

#include <QObject>

namespace orvenna::app {

class TAppCore;
class TCalendarForm;

class TSettingsOpener final : public QObject {
    Q_OBJECT

public:
    // Enables "&Setting..." when the dialog exists and connects it. Both must outlive the
    // object (it is the calendar's child).
    TSettingsOpener(TAppCore& core, TCalendarForm& calendar);

    void Setting1Click();
    // The dialog closed: confirmed (OK, the dialog wrote the record and the alert choices) saves
    // both and applies the settings; anything else changes nothing.
    void SettingDialogClosed(bool confirmed);

    // Runs the dialog's file dialogs; empty: the program's own file dialog. Tests answer here.
    desktop::TFileDialogRunner OpenFile;

private:
    TAppCore& Core;
    TCalendarForm& Calendar;
};

}  // namespace orvenna::app
