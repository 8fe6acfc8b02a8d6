#pragma once
// The windows that open from the calendar, each in its own unit: day notes and reminder
// alerts (daynotes.h), the settings dialog (settingsopener.h), the note browser
// (browseopener.h).

namespace orvenna::app {

class TAppCore;
class TCalendarForm;

// Makes one opener of each kind as a child of the calendar and connects it.
void ConnectOpeners(TAppCore& core, TCalendarForm& calendar);

}  // namespace orvenna::app
