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
#include <QPalette>
#include <QPointer>
#include <QString>

#include <vector>

namespace orvenna::notes {
class TNoteForm;
}
namespace orvenna::popup {
class TSlidePopUp;
}
namespace orvenna::store {
class TReminder;
}

namespace orvenna::app {

// True when the times of day of the two day counts lie less than a minute apart, either way;
// the dates do not count.
bool IsDueNow(double now, double reminderTime);
// The alert popup as the reminders use it: 148 x 121, light blue to white, the classic dialog
// font, cascading, sliding, the message a link that opens the selected day's note.
void ConfigureAlertForm(popup::TSlidePopUp& alert, const QPalette& palette);

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
    // Opens the note editor on the day's paper, found or added, without waiting.
    void ShowNoteOf(QDate day);
    // A click on an alert's message: the selected day's note, without waiting.
    void AlertFormURLClick(QObject* sender, const QString& url);
    // At each moment of the core's Timer1: lets the alert book check (ended snoozes), rebuilds
    // the store's today list when the local date has changed since the last check, then
    // alerts every entry whose time of day has come (less than a minute
    // either way) and removes it, alerted or not; an entry whose State is not 0 goes silently.
    void Timer1Timer();

signals:
    // Every note editor made, before it is shown; the editor deletes itself when closed.
    void EditorOpened(notes::TNoteForm* editor);

private:
    // A new editor on the day's paper, found or added; it refreshes the note marks whenever
    // it closes and has the core save the store.
    notes::TNoteForm* CreateEditor(QDate day);
    void RebuildAtNewDay(double now);

    TAppCore& Core;
    TCalendarForm& Calendar;
    double ListDay = 0;  // the day the today list was built for
    std::vector<QPointer<notes::TNoteForm>> OpenEditors;  // opened without waiting
};

}  // namespace orvenna::app
