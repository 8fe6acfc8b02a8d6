// Day notes and reminder alerts: the note editor opened for a double-clicked day, for today and
// for an alert's day, and the reminder check that shows the alert popup and plays the sound.
#include "app/daynotes.h"

#include "app/alarmtimer.h"
#include "app/alertbook.h"
#include "app/appcore.h"
#include "app/calendarform.h"
#include "desktop/guitool.h"
#include "notes/notefrm.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "popup/slidepopup.h"
#include "store/daypaperlist.h"
#include "store/settings.h"

#include <QTimer>

#include <cmath>
#include <cstdlib>

namespace orvenna::app {
namespace {

// The message font of the alert: the classic dialog face at 11 pixels.
popup::TTextFont AlertFont(QColor colour, bool bold, bool underline)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    font.setBold(bold);
    font.setUnderline(underline);
    return {font, colour};
}

}  // namespace

bool IsDueNow(double now, double reminderTime)
{
    const std::int64_t a = TimeOfDayMs(now);
    const std::int64_t b = TimeOfDayMs(reminderTime);
    // Less than a whole minute apart, either way.
    return a >= 0 && b >= 0 && std::llabs(a - b) < 60000;
}

void ConfigureAlertForm(popup::TSlidePopUp& alert, const QPalette& palette)
{
    const QColor text = palette.color(QPalette::WindowText);
    alert.SetIconLeft(8);
    alert.SetIconTop(8);
    alert.SetWidth(148);
    alert.SetHeight(121);
    alert.SetGradientColor1(QColor(0x99, 0xCC, 0xFF));
    alert.SetGradientColor2(Qt::white);
    alert.SetScrollSpeed(9);
    alert.SetFont(AlertFont(text, false, false));
    alert.SetHoverFont(AlertFont(QColor(0, 0, 0xFF), false, true));
    alert.SetTitleFont(AlertFont(text, true, false));
    alert.SetOptions({popup::spAutoOpenURL, popup::spCascadePopups, popup::spAllowScroll,
                      popup::spAllowHyperlink});
    alert.SetTextAlignment(popup::TTextAlignment::taCenter);
    alert.SetTextCursor(Qt::ArrowCursor);
    alert.SetPopupMarge(2);
    alert.SetPopupStartX(16);
    alert.SetPopupStartY(2);
    alert.SetDefaultMonitor(popup::TDefaultMonitor::dmDesktop);
}

TDayNotes::TDayNotes(TAppCore& core, TCalendarForm& calendar)
    : QObject(&calendar), Core(core), Calendar(calendar)
{
    ListDay = std::floor(Core.Clock().Now());
    ConfigureAlertForm(Core.AlertForm(), Calendar.palette());
    connect(&Calendar, &TCalendarForm::DayOpened, this, &TDayNotes::ShowDayNote);
    connect(&Core, &TAppCore::TodayNoteRequested, this, &TDayNotes::ShowTodayNote);
    connect(&Core.Timer1(), &QTimer::timeout, this, &TDayNotes::Timer1Timer);
    connect(&Core.Alerts(), &TAlertBook::OpenNoteRequested, this, &TDayNotes::ShowNoteOf);
    Core.AlertForm().SetOnURLClick(
        [this](QObject* sender, const QString& url) { AlertFormURLClick(sender, url); });
}

TDayNotes::~TDayNotes()
{
    // The core keeps the popup; its link handler must not outlive this object.
    Core.AlertForm().SetOnURLClick({});
    // Editors opened without waiting belong to the calendar and go with it.
    for (const QPointer<notes::TNoteForm>& editor : OpenEditors)
        delete editor.data();
}

notes::TNoteForm* TDayNotes::CreateEditor(QDate day)
{
    const store::TDate date = store::EncodeDate(day.year(), day.month(), day.day());
    store::TDayPaperList& papers = Core.DayPapers();
    store::TDayPaper* paper = papers.FindDayPaper(date);
    if (paper == nullptr) {
        // The new paper belongs to the store from now on, saved or not.
        paper = &papers.AddDayPaper();
        paper->Day = date;
    }
    auto* editor = new notes::TNoteForm(papers, *paper, Core.LocalFormat(), Core.ProgramFolder(),
                                        Core.Settings(), [this] { return Core.SaveNotes(); });
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &notes::TNoteForm::Closed, &Calendar, &TCalendarForm::RefreshNoteMarks);
    emit EditorOpened(editor);
    return editor;
}

void TDayNotes::ShowDayNote(QDate day)
{
    CreateEditor(day)->exec();
}

void TDayNotes::ShowTodayNote()
{
    if (desktop::GUITools)
        desktop::GUITools->AddLog(QStringLiteral("shownote"));
    notes::TNoteForm* editor = CreateEditor(Core.Today());
    OpenEditors.push_back(editor);
    editor->show();
    Calendar.activateWindow();
    editor->raise();
    editor->activateWindow();
}

void TDayNotes::AlertFormURLClick(QObject*, const QString&)
{
    const QDate day = Calendar.ShownDate();
    if (day.isValid())
        ShowNoteOf(day);
}

void TDayNotes::ShowNoteOf(QDate day)
{
    if (!day.isValid())
        return;
    notes::TNoteForm* editor = CreateEditor(day);
    OpenEditors.push_back(editor);
    editor->show();
}

void TDayNotes::RebuildAtNewDay(double now)
{
    const double today = std::floor(now);
    if (today == ListDay)
        return;
    // A calendar running past midnight alerts the new day's reminders.
    const QDate before = DateFromDays(ListDay);
    ListDay = today;
    Core.DayPapers().BuildTodayList();
    const QDate after = DateFromDays(today);
    const auto shown = [this](QDate day) {
        return day.year() == Calendar.ShownYear() && day.month() == Calendar.ShownMonth();
    };
    if (shown(before) || shown(after)) {
        Calendar.BuildMonth(QDate(Calendar.ShownYear(), Calendar.ShownMonth(), 1));
        Calendar.BuildDayIcons();
    }
}

void TDayNotes::Timer1Timer()
{
    const double now = Core.Clock().Now();
    Core.Alerts().Tick(now);
    RebuildAtNewDay(now);
    store::TReminderList& list = Core.DayPapers().TodayList();
    // Removing an entry moves the next one up into its place; it is examined in the same tick.
    int i = 0;
    while (i < list.ReminderCount()) {
        const store::TReminder& r = list.GetReminder(i);
        if (!IsDueNow(now, r.ReminderTime())) {
            ++i;
            continue;
        }
        if (r.State == 0)
            Core.Alerts().Alert(r, store::AlertMomentOn(r, std::floor(now)));
        list.DeleteReminder(i);
    }
}


}  // namespace orvenna::app
