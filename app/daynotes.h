#pragma once
// TDayNotes: the ways into a day's note and the reminder check. A double-click on a day
// (lvDblClick), a click on an alert's message (AlertFormURLClick) and the tray's double click
// or the hot key (ShowTodayNote) open the note editor; Timer1Timer alerts the reminders of
// today whose time has come.
//
// Made once by ConnectOpeners, as a child of the calendar window; it reaches the store, the
// settings, the locale record, the program folder, the clock, the platform and the alert
// popup through the core, and the shown month through the calendar.

#include <QDate>
#include <QObject>
#include <QString>

namespace orvenna::app {

class TAppCore;
class TCalendarForm;

class TDayNotes final : public QObject {
    Q_OBJECT

public:
    // Connects to the calendar's DayOpened, the core's TodayNoteRequested and Timer1, and the
    // alert popup's link click. Both must outlive the object (it is the calendar's child).
    TDayNotes(TAppCore& core, TCalendarForm& calendar);
    // Takes its handler back from the alert popup, which the core keeps.
    ~TDayNotes() override;

    // Opens the note editor on the day's paper, found or added, and waits until it closes.
    void ShowDayNote(QDate day);
    // Opens the note editor on today's paper without waiting.
    void ShowTodayNote();
    // A click on an alert's message: the selected day's note, without waiting.
    void AlertFormURLClick(QObject* sender, const QString& url);
    // Once a second: alerts the due entries of the store's today list.
    void Timer1Timer();

private:
    TAppCore& Core;
    TCalendarForm& Calendar;
};

}  // namespace orvenna::app
