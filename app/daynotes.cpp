// Day notes and reminder alerts: will hold the opening of the note editor (for a double-clicked
// day, for today, for an alert's day) and the once-a-second reminder check that shows the
// alert popup and plays the sound. Until the note editor exists these entry points do nothing.
#include "app/daynotes.h"

#include "app/appcore.h"
#include "app/calendarform.h"
#include "popup/slidepopup.h"

#include <QTimer>

namespace orvenna::app {

TDayNotes::TDayNotes(TAppCore& core, TCalendarForm& calendar)
    : QObject(&calendar), Core(core), Calendar(calendar)
{
    connect(&Calendar, &TCalendarForm::DayOpened, this, &TDayNotes::ShowDayNote);
    connect(&Core, &TAppCore::TodayNoteRequested, this, &TDayNotes::ShowTodayNote);
    connect(&Core.Timer1(), &QTimer::timeout, this, &TDayNotes::Timer1Timer);
    Core.AlertForm().SetOnURLClick(
        [this](QObject* sender, const QString& url) { AlertFormURLClick(sender, url); });
}

TDayNotes::~TDayNotes()
{
    Core.AlertForm().SetOnURLClick({});
}

void TDayNotes::ShowDayNote(QDate) {}

void TDayNotes::ShowTodayNote() {}

void TDayNotes::AlertFormURLClick(QObject*, const QString&) {}

void TDayNotes::Timer1Timer() {}

}  // namespace orvenna::app
