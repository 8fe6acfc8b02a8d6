#pragma once
// TWindowManager: every window that opens beside the calendar, and what opens it. It owns the
// tray icon, the alert popup, the "Missed reminders" window, the note editors (each kept until
// it closes) and the note browsers, and it runs the settings dialog. It turns the user's ways
// into a day's note into editors: a double-click on a day, a click on an alert's message, the
// tray's double click and the hot key (through the core's TodayNoteRequested), a row of the
// missed reminders; and it shows what the core announces as due or missed.
//
// The core keeps the state and writes the files; windows change the model and ask the core to
// save. A new window is added here, and nowhere in the core.
//
// Made once, after the calendar, as the calendar's child; core and calendar must outlive it.
// GUI thread only.

#include "store/alertstate.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <vector>

class QTimer;

namespace orvenna::notes {
class TBrowseForm;
class TNoteForm;
}  // namespace orvenna::notes
namespace orvenna::popup {
class TSlidePopUp;
class TfrmSlidePopUp;
}  // namespace orvenna::popup

namespace orvenna::app {

class TAppCore;
class TCalendarForm;
class TMissedForm;

// The alert popup as the reminders use it: 148 x 121, light blue to white, the classic dialog
// font, cascading, sliding, the message a link that opens the note of the reminder's day.
void ConfigureAlertForm(popup::TSlidePopUp& alert, const QPalette& palette);

class TWindowManager final : public QObject {
    Q_OBJECT

public:
    // Connects to the calendar's commands and to the core's announcements, and enables
    // "&Browse..." and "&Setting...".
    TWindowManager(TAppCore& core, TCalendarForm& calendar);
    // Closes the editors and the missed reminders still open.
    ~TWindowManager() override;

    // ---- note editors -----------------------------------------------------------------------
    // Opens the note editor on the day's paper, found or added, and waits until it closes. The
    // editor is modal to the calendar (and the browsers it owns) alone: the alerts, the tray,
    // the hot key and the other editors keep answering meanwhile.
    void ShowDayNote(QDate day);
    // Today's note in front with the keyboard focus, without waiting: the editor already open
    // on today (the calendar's modal one included), else a new one.
    void ShowTodayNote();
    // Opens the note editor on the day's paper, found or added, without waiting.
    void ShowNoteOf(QDate day);
    // A click on an alert's message (sender: the alert's popup window): the note of the
    // reminder's own day, without waiting. A sender that carries no alert opens nothing.
    void AlertFormURLClick(QObject* sender, const QString& url);
    // The editors open now.
    QList<notes::TNoteForm*> Editors() const;
    // Before the program ends: what the open editors hold unsaved is saved, as their check
    // button saves it. A save refused (a time that cannot be read, a file that cannot be
    // written; the refusal was told) keeps the program running, that editor in front: false.
    bool SaveOpenEditors();

    // ---- browsers and the settings dialog ---------------------------------------------------
    // "&Browse...": another note browser on the shown month, without waiting.
    void Browse1Click();
    // "&Setting...": the settings dialog on the live record, modally.
    void Setting1Click();
    // The dialog closed: confirmed (OK, the dialog wrote the record and the alert choices) has
    // the core save both and apply the settings; anything else changes nothing.
    void SettingDialogClosed(bool confirmed);

    // ---- alerts -----------------------------------------------------------------------------
    // The alert popup of the reminders; its properties are set before each alert.
    popup::TSlidePopUp& AlertForm() const { return *FAlertForm; }
    // Shows a due alert with its snooze and dismiss buttons; one that finds no room on screen
    // joins the missed reminders instead of being lost.
    void ShowAlert(const store::TAlertItem& alert);
    // Lists alerts in the "Missed reminders" window, opening it when needed.
    void ShowMissed(const std::vector<store::TAlertItem>& alerts);
    // The "Missed reminders" window; null until something was missed.
    TMissedForm* MissedForm() const;

    // ---- tray -------------------------------------------------------------------------------
    // Null until the core started and the calendar was painted (or TrayWaitMs passed without
    // a paint, or the calendar is hidden), and for the whole run when the desktop has no tray:
    // the round trips with the tray host do not hold up the calendar's first picture.
    QSystemTrayIcon* TrayIcon() const { return Tray; }
    static constexpr int TrayWaitMs = 1000;

signals:
    // Every note editor made, before it is shown; the editor deletes itself when closed.
    void EditorOpened(notes::TNoteForm* editor);

private:
    void ConnectCalendar();
    void ConnectCore();
    // A new editor on the day's paper, found or added; it refreshes the note marks whenever
    // it closes and has the core save the store.
    notes::TNoteForm* CreateEditor(QDate day);
    void AlertFormAction(popup::TfrmSlidePopUp* popup, int action, int choice);
    void AddTrayIcon();
    // The core started: AfterFirstPaint now, or after the calendar's first paint.
    void WaitForFirstPaint();
    // What the start leaves until the calendar shows: the core's put-off writes, the tray icon.
    void AfterFirstPaint();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A click on the tray icon. A right click opens the calendar's menu at once; a left click
    // opens it once the double-click interval has passed without a second click, and a double
    // click opens today's note instead.
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void ShowTrayMenu();

    TAppCore& Core;
    TCalendarForm& Calendar;
    popup::TSlidePopUp* FAlertForm = nullptr;  // child
    QSystemTrayIcon* Tray = nullptr;           // child, from the core's start on
    bool CalendarPainted = false;
    QTimer* TrayWait = nullptr;  // child: runs while AfterFirstPaint waits for the first paint
    QTimer* TrayClick = nullptr;               // child: a left click waiting for a second one
    QPoint TrayClickAt;                        // where the tray's menu opens
    QPointer<TMissedForm> FMissedForm;         // a window of its own, closed with this object
    // Editors have no parent window (each is placed on its own), so they are kept here until
    // they close and closed with this object.
    std::vector<QPointer<notes::TNoteForm>> OpenEditors;
};

}  // namespace orvenna::app
