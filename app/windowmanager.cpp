// The windows beside the calendar: note editors, browsers, the settings dialog, the alert popup,
// the missed reminders and the tray icon, each opened the way the user asked for it.
#include "app/windowmanager.h"

#include "app/alertbook.h"
#include "app/appcore.h"
#include "app/calendarform.h"
#include "app/daygrid.h"
#include "app/localeformat.h"
#include "app/missedfrm.h"
#include "app/syncrunner.h"
#include "app/syncview.h"
#include "desktop/desktoplog.h"
#include "desktop/guiservices.h"
#include "notes/browsefrm.h"
#include "notes/icalcommands.h"
#include "notes/notefrm.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "popup/slidepopup.h"
#include "popup/slidepopupform.h"
#include "settings/settingfrm.h"
#include "store/daypaperlist.h"
#include "store/localetext.h"
#include "store/settings.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <iterator>

namespace orvenna::app {
namespace {

constexpr int SnoozeAction = 0;
constexpr int AlertTimeOut = 10;  // seconds an alert stays when it need not be acknowledged

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

TWindowManager::TWindowManager(TAppCore& core, TCalendarForm& calendar)
    : QObject(&calendar),
      Core(core),
      Calendar(calendar),
      FAlertForm(new popup::TSlidePopUp(core.Platform(), this)),
      TrayWait(new QTimer(this)),
      TrayClick(new QTimer(this))
{
    TrayWait->setSingleShot(true);
    TrayWait->setInterval(TrayWaitMs);
    connect(TrayWait, &QTimer::timeout, this, &TWindowManager::AfterFirstPaint);
    Calendar.installEventFilter(this);
    TrayClick->setSingleShot(true);
    connect(TrayClick, &QTimer::timeout, this, &TWindowManager::ShowTrayMenu);
    ConfigureAlertForm(*FAlertForm, Calendar.palette());
    FAlertForm->SetOnURLClick(
        [this](QObject* sender, const QString& url) { AlertFormURLClick(sender, url); });
    FAlertForm->SetOnAction([this](popup::TfrmSlidePopUp* popup, int action, int choice) {
        AlertFormAction(popup, action, choice);
    });
    ConnectCalendar();
    ConnectCore();
}

TWindowManager::~TWindowManager()
{
    FAlertForm->SetOnURLClick({});
    FAlertForm->SetOnAction({});
    for (const QPointer<notes::TNoteForm>& editor : OpenEditors)
        delete editor.data();
    delete FMissedForm.data();
}

void TWindowManager::ConnectCalendar()
{
    Calendar.SetBrowseEnabled(true);
    Calendar.SetSettingEnabled(true);
    connect(&Calendar, &TCalendarForm::DayOpened, this, &TWindowManager::ShowDayNote);
    connect(&Calendar, &TCalendarForm::BrowseRequested, this, &TWindowManager::Browse1Click);
    connect(&Calendar, &TCalendarForm::SettingRequested, this, &TWindowManager::Setting1Click);
    Calendar.SetCloseGuard([manager = QPointer<TWindowManager>(this)] {
        return !manager || manager->SaveOpenEditors();
    });
    // The system's request to end (a log-out, a shut-down) ends the program as "E&xit" does.
    connect(&Core.Platform(), &platform::TPlatform::StopRequested, &Calendar,
            [this] { Calendar.close(); });
    // A session manager that ends the session asks its programs to save first, and later
    // ends them without closing any window.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] { SaveOpenEditors(); });
}

void TWindowManager::ConnectCore()
{
    connect(&Core, &TAppCore::TodayNoteRequested, this, &TWindowManager::ShowTodayNote);
    connect(&Core, &TAppCore::Started, this, &TWindowManager::WaitForFirstPaint);
    // The program ends with the calendar: the editors (saved by the calendar's close guard)
    // and the missed reminders' list close with it, so that no window keeps it running.
    connect(&Core, &TAppCore::Stopped, this, [this] {
        TrayWait->stop();
        if (Tray)
            Tray->hide();
        for (notes::TNoteForm* editor : Editors())
            editor->close();
        if (FMissedForm)
            FMissedForm->close();
    });
    connect(&Core.Alerts(), &TAlertBook::AlertDue, this, &TWindowManager::ShowAlert);
    connect(&Core.Alerts(), &TAlertBook::AlertsMissed, this, &TWindowManager::ShowMissed);
    connect(&Core.Sync(), &TSyncRunner::StatusChanged, this, [this] {
        if (Tray)
            Tray->setToolTip(TrayToolTip(Core.Sync(), Core.Clock().Now()));
    });
    connect(&Core.Sync(), &TSyncRunner::PasswordNeeded, this,
            [this] { AskSyncPassword(nullptr, Core.Sync()); });
}

// ---- note editors -------------------------------------------------------------------------

notes::TNoteForm* TWindowManager::CreateEditor(QDate day)
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
    std::erase_if(OpenEditors, [](const QPointer<notes::TNoteForm>& open) { return !open; });
    OpenEditors.push_back(editor);
    emit EditorOpened(editor);
    return editor;
}

QList<notes::TNoteForm*> TWindowManager::Editors() const
{
    QList<notes::TNoteForm*> editors;
    for (const QPointer<notes::TNoteForm>& editor : OpenEditors)
        if (editor)
            editors << editor.data();
    return editors;
}

bool TWindowManager::SaveOpenEditors()
{
    for (notes::TNoteForm* editor : Editors()) {
        if (!editor->HasUnsavedChanges())
            continue;
        if (!editor->SaveNote()) {
            editor->raise();
            editor->activateWindow();
            return false;
        }
    }
    return true;
}

// Modal to the calendar's window alone, as its transient child: the alerts, the tray, the
// other editors and the windows they open stay free while the calendar waits.
void TWindowManager::ShowDayNote(QDate day)
{
    notes::TNoteForm* editor = CreateEditor(day);
    editor->setWindowModality(Qt::WindowModal);
    editor->winId();
    Calendar.winId();
    editor->windowHandle()->setTransientParent(Calendar.windowHandle());
    editor->exec();
}

void TWindowManager::ShowTodayNote()
{
    qCDebug(desktop::lcTrace) << "shownote";
    const QDate today = Core.Today();
    const store::TDate date = store::EncodeDate(today.year(), today.month(), today.day());
    notes::TNoteForm* editor = nullptr;
    for (notes::TNoteForm* open : Editors())
        if (open->EditDate() == date)
            editor = open;
    if (editor == nullptr) {
        editor = CreateEditor(today);
        editor->show();
    }
    // The calendar's activation first lets the window manager hand the focus on to the editor:
    // a key pressed elsewhere gives the program no right to it otherwise.
    Calendar.activateWindow();
    editor->raise();
    editor->activateWindow();
}

void TWindowManager::AlertFormURLClick(QObject* sender, const QString&)
{
    const auto* popup = qobject_cast<const popup::TfrmSlidePopUp*>(sender);
    if (popup == nullptr || !popup->Data().canConvert<store::TAlertItem>())
        return;
    ShowNoteOf(DateFromDays(popup->Data().value<store::TAlertItem>().PaperDay));
}

void TWindowManager::ShowNoteOf(QDate day)
{
    if (!day.isValid())
        return;
    CreateEditor(day)->show();
}

// ---- browsers and the settings dialog -----------------------------------------------------

// The browser is the calendar's: it goes when the calendar goes, and closing it destroys it.
// The browsers and the note editors share the one store: what one saves, the others show.
void TWindowManager::Browse1Click()
{
    const notes::TSaveNotes save = [this] { return Core.SaveNotes(); };
    auto* browser = new notes::TBrowseForm(Core.DayPapers(), Core.LocalFormat(), Core.Settings(),
                                           Calendar.ShownYear(), Calendar.ShownMonth(), save,
                                           &Calendar);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    connect(&Core, &TAppCore::NotesChanged, browser, &notes::TBrowseForm::NotesChanged);
    // The subscribed calendars are listed read-only; a new fetch replaces their papers.
    browser->SetSubscribed(&Core.Sync().Subscribed());
    connect(&Core.Sync(), &TSyncRunner::SubscriptionsChanged, browser,
            [this, browser] { browser->SetSubscribed(&Core.Sync().Subscribed()); });
    new notes::TICalCommands(*browser, Core.DayPapers(), save);
    browser->show();
}

// A new dialog on the live record for every use; the record holds what a confirmed dialog
// wrote for this run whether or not it could be saved.
void TWindowManager::Setting1Click()
{
    settings::TSettingForm form(Core.Platform(), &Calendar);
    form.CalSetting = &Core.Settings();
    form.AlertState = &Core.Alerts().State();
    form.Regional = &Core.Regional();
    form.LocaleFormat = LocalFormatFromLocale();
    ConnectSyncPage(*form.SyncPage, Core.Sync(), Core.Clock().Now());
    const bool confirmed = desktop::ExecDialog(form) == settings::mrOk;
    if (confirmed)
        ApplySyncPage(*form.SyncPage, Core.Sync());
    SettingDialogClosed(confirmed);
}

void TWindowManager::SettingDialogClosed(bool confirmed)
{
    if (!confirmed)
        return;
    Core.SaveSettings();
    Core.SaveAlertState(true);
    Core.SaveRegional();
    Core.ApplySettings();
}

// ---- alerts -------------------------------------------------------------------------------

void TWindowManager::ShowAlert(const store::TAlertItem& alert)
{
    const store::TAlertState& state = Core.Alerts().State();
    popup::TSlidePopUp& form = *FAlertForm;
    // The title tells when the reminder starts, in the form the reminder lists show times.
    const QString start =
        QString::fromStdString(store::FormatReminderTime(Core.LocalFormat(), store::StartOf(alert)));
    form.SetTitle((alert.Recurrency == store::rcNone ? tr("Reminder:") : tr("Alert")) + u' ' +
                  start);
    form.SetText(QString::fromStdString(alert.Subject));
    form.SetTimeOut(state.StayUntilDismissed ? 0 : AlertTimeOut);
    QStringList choices = SnoozeChoices();
    if (store::LeadTimeMinutes(alert.Before) == 0)
        choices.removeLast();  // "Until it starts" needs a lead time
    const auto defaultChoice = std::ranges::find(store::SnoozeLengths, state.SnoozeMinutes);
    form.SetActions({{tr("Snooze"), choices,
                      static_cast<int>(defaultChoice - std::begin(store::SnoozeLengths))},
                     {tr("Dismiss"), {}, -1}});
    form.SetData(QVariant::fromValue(alert));
    if (!form.ShowPopUp()) {
        qCInfo(lcApp) << "no room for another alert; it joins the missed reminders";
        ShowMissed({alert});
    }
}

void TWindowManager::AlertFormAction(popup::TfrmSlidePopUp* popup, int action, int choice)
{
    if (action != SnoozeAction || !popup->Data().canConvert<store::TAlertItem>())
        return;  // "Dismiss" only closes the popup
    const auto alert = popup->Data().value<store::TAlertItem>();
    if (const auto until = SnoozeEnd(alert, choice, Core.Clock().Now()))
        Core.Alerts().Snooze(alert, *until);
}

TMissedForm* TWindowManager::MissedForm() const
{
    return FMissedForm;
}

void TWindowManager::ShowMissed(const std::vector<store::TAlertItem>& alerts)
{
    if (alerts.empty())
        return;
    if (!FMissedForm) {
        FMissedForm = new TMissedForm(Core.LocalFormat());
        connect(FMissedForm, &TMissedForm::OpenNote, this, &TWindowManager::ShowNoteOf);
    }
    FMissedForm->AddAlerts(alerts);
    FMissedForm->show();
    FMissedForm->raise();
}

// ---- tray ---------------------------------------------------------------------------------

void TWindowManager::WaitForFirstPaint()
{
    // A calendar that is covered may get no paint: the wait has an end.
    if (Calendar.isVisible() && !CalendarPainted)
        TrayWait->start();
    else
        AfterFirstPaint();
}

void TWindowManager::AfterFirstPaint()
{
    TrayWait->stop();
    Core.CalendarShown();
    AddTrayIcon();
}

bool TWindowManager::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &Calendar && event->type() == QEvent::Paint && !CalendarPainted) {
        CalendarPainted = true;
        // After this paint has reached the screen.
        if (TrayWait->isActive()) {
            TrayWait->stop();
            QTimer::singleShot(0, this, &TWindowManager::AfterFirstPaint);
        }
    }
    return QObject::eventFilter(watched, event);
}

void TWindowManager::AddTrayIcon()
{
    TrayWait->stop();
    if (Tray || !Core.Platform().CanShowTrayIcon())
        return;
    Tray = new QSystemTrayIcon(desktop::TrayPicture(TodayColor), this);
    Tray->setToolTip(TrayToolTip(Core.Sync(), Core.Clock().Now()));
    connect(Tray, &QSystemTrayIcon::activated, this, &TWindowManager::TrayIconActivated);
    Tray->show();
}

void TWindowManager::TrayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // The first click of a double click comes as a click too: the menu waits to see.
        if (!TrayClick->isActive()) {
            TrayClickAt = QCursor::pos();
            TrayClick->start(QApplication::doubleClickInterval());
        }
        break;
    case QSystemTrayIcon::Context:
        TrayClickAt = QCursor::pos();
        ShowTrayMenu();
        break;
    case QSystemTrayIcon::DoubleClick:
        TrayClick->stop();
        ShowTodayNote();
        break;
    default:
        break;
    }
}

void TWindowManager::ShowTrayMenu()
{
    Calendar.activateWindow();
    Calendar.PopupMenu().popup(TrayClickAt);
}

}  // namespace orvenna::app
