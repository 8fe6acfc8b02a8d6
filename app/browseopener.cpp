// The "&Browse..." command: each click opens another note browser on the shown month. The
// browsers and the note editors share the one store: what one saves, the others show.
#include "app/browseopener.h"

#include "app/appcore.h"
#include "app/calendarform.h"
#include "notes/browsefrm.h"
#include "notes/icalcommands.h"

namespace orvenna::app {

TBrowseOpener::TBrowseOpener(TAppCore& core, TCalendarForm& calendar)
    : QObject(&calendar), Core(core), Calendar(calendar)
{
    Calendar.SetBrowseEnabled(true);
    connect(&Calendar, &TCalendarForm::BrowseRequested, this, &TBrowseOpener::Browse1Click);
}

// The browser is the calendar's: it goes when the calendar goes, and closing it destroys it.
void TBrowseOpener::Browse1Click()
{
    notes::TBrowseHooks hooks;
    hooks.ShowError = [this](const QString& text) { Core.ReportError(text); };
    const notes::TSaveNotes save = [this] { return Core.SaveNotes(); };
    auto* browser = new notes::TBrowseForm(Core.DayPapers(), Core.LocalFormat(), Core.Settings(),
                                           Calendar.ShownYear(), Calendar.ShownMonth(), save,
                                           std::move(hooks), &Calendar);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    connect(&Core, &TAppCore::NotesChanged, browser, &notes::TBrowseForm::NotesChanged);
    notes::TICalHooks icalHooks;
    icalHooks.ShowError = [this](const QString& text) { Core.ReportError(text); };
    new notes::TICalCommands(*browser, Core.DayPapers(), save, std::move(icalHooks));
    browser->show();
}

}  // namespace orvenna::app
