#include "app/alertbook.h"

#include "app/appcore.h"
#include "app/missedfrm.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "popup/slidepopup.h"
#include "popup/slidepopupform.h"
#include "store/daypaperlist.h"
#include "store/settings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace orvenna::app {
namespace {

constexpr int SnoozeAction = 0;
constexpr int DismissAction = 1;
constexpr int AlertTimeOut = 10;  // seconds an alert stays when it need not be acknowledged
constexpr int SnoozeLengthCount = static_cast<int>(std::size(store::SnoozeLengths));
constexpr int UntilItStarts = SnoozeLengthCount;  // the entry after the lengths

}  // namespace

QStringList SnoozeChoices()
{
    QStringList choices;
    for (const int minutes : store::SnoozeLengths)
        choices << QString::fromStdString(store::SnoozeLengthText(minutes));
    choices << QStringLiteral("Until it starts");
    return choices;
}

std::optional<double> SnoozeEnd(const store::TAlertItem& alert, int choice, double now)
{
    if (choice >= 0 && choice < SnoozeLengthCount)
        return now + store::SnoozeLengths[choice] / 1440.0;
    if (choice == UntilItStarts && store::LeadTimeMinutes(alert.Before) > 0) {
        const double start = store::StartOf(alert);
        if (start > now)
            return start;
    }
    return std::nullopt;
}

TAlertBook::TAlertBook(TAppCore& core) : QObject(&core), Core(core)
{
    const QString file = Core.AlertStateFile();
    const std::string failure = store::LoadAlertState(file.toStdString(), FState);
    if (!failure.empty())
        qCWarning(lcApp).noquote() << "alerts file ignored:" << file << "-"
                                   << QString::fromStdString(failure);
    Core.AlertForm().SetOnAction([this](popup::TfrmSlidePopUp* popup, int action, int choice) {
        AlertFormAction(popup, action, choice);
    });
}

TAlertBook::~TAlertBook()
{
    Core.AlertForm().SetOnAction({});
    delete FMissedForm.data();
}

bool TAlertBook::SaveState()
{
    return Core.SaveAlertState();
}

void TAlertBook::NoteCheck(double now)
{
    FState.LastCheck = now;
    SaveState();
}

void TAlertBook::Start()
{
    const double now = Core.Clock().Now();
    // Without an earlier check nothing can be told missed.
    if (FState.LastCheck > 0)
        CatchUp(FState.LastCheck, now);
    NoteCheck(now);
}

void TAlertBook::Close()
{
    NoteCheck(Core.Clock().Now());
}

void TAlertBook::CatchUp(double lastCheck, double now)
{
    std::vector<store::TAlertItem> missed = store::MissedAlerts(Core.DayPapers(), lastCheck, now);
    // An alert seen or put off is not missed; one put off comes back by itself.
    std::erase_if(missed, [this](const store::TAlertItem& alert) {
        return std::ranges::find(Shown, alert) != Shown.end() ||
               std::ranges::any_of(FState.Snoozes,
                                   [&](const store::TSnooze& s) { return s.Alert == alert; });
    });
    ShowMissed(missed);
}

void TAlertBook::ShowMissed(const std::vector<store::TAlertItem>& alerts)
{
    if (alerts.empty())
        return;
    if (!FMissedForm) {
        FMissedForm = new TMissedForm(Core.LocalFormat());
        connect(FMissedForm, &TMissedForm::OpenNote, this, &TAlertBook::OpenNoteRequested);
    }
    FMissedForm->AddAlerts(alerts);
    FMissedForm->show();
    FMissedForm->raise();
}

void TAlertBook::ClockJumped(double before, double after)
{
    qCInfo(lcApp) << "the clock jumped by" << (after - before) * 1440 << "minutes";
    CatchUp(before, after);
    NoteCheck(after);
}

void TAlertBook::Alert(const store::TReminder& reminder, double moment)
{
    store::TAlertItem alert{moment, std::floor(reminder.When), reminder.When, reminder.Before,
                            reminder.Recurrency, reminder.Subject};
    // The today list holds copies; the paper is the one holding the same reminder.
    if (const store::TDayPaper* paper = store::FindPaperOf(Core.DayPapers(), alert))
        alert.PaperDay = paper->Day;
    ShowAlert(alert);
}

void TAlertBook::ShowAlert(const store::TAlertItem& alert)
{
    popup::TSlidePopUp& form = Core.AlertForm();
    form.SetTitle(alert.Recurrency == store::rcNone ? QStringLiteral("Reminder:")
                                                    : QStringLiteral("Alert"));
    form.SetText(QString::fromStdString(alert.Subject));
    form.SetTimeOut(FState.StayUntilDismissed ? 0 : AlertTimeOut);
    QStringList choices = SnoozeChoices();
    if (store::LeadTimeMinutes(alert.Before) == 0)
        choices.removeLast();  // "Until it starts" needs a lead time
    const auto defaultChoice = std::ranges::find(store::SnoozeLengths, FState.SnoozeMinutes);
    form.SetActions({{QStringLiteral("Snooze"), choices,
                      static_cast<int>(defaultChoice - std::begin(store::SnoozeLengths))},
                     {QStringLiteral("Dismiss"), {}, -1}});
    form.SetData(QVariant::fromValue(alert));
    const double now = Core.Clock().Now();
    std::erase_if(Shown, [now](const store::TAlertItem& seen) { return seen.Moment < now - 1; });
    Shown.push_back(alert);
    // A missing or unplayable file is a silent alert.
    Core.Platform().PlaySound(QString::fromStdString(Core.Settings().SoundFile));
    if (!form.ShowPopUp()) {
        qCInfo(lcApp) << "no room for another alert; it joins the missed reminders";
        ShowMissed({alert});
    }
    NoteCheck(now);
}

void TAlertBook::AlertFormAction(popup::TfrmSlidePopUp* popup, int action, int choice)
{
    if (action != SnoozeAction || !popup->Data().canConvert<store::TAlertItem>())
        return;  // "Dismiss" only closes the popup
    const auto alert = popup->Data().value<store::TAlertItem>();
    if (const auto until = SnoozeEnd(alert, choice, Core.Clock().Now()))
        Snooze(alert, *until);
}

void TAlertBook::Snooze(const store::TAlertItem& alert, double until)
{
    FState.Snoozes.push_back({until, alert});
    SaveState();
    emit SnoozesChanged();
}

void TAlertBook::ShowEndedSnoozes(double now)
{
    std::vector<store::TSnooze> ended;
    std::erase_if(FState.Snoozes, [&](const store::TSnooze& snooze) {
        if (snooze.Until > now)
            return false;
        ended.push_back(snooze);
        return true;
    });
    if (ended.empty())
        return;
    SaveState();
    for (const store::TSnooze& snooze : ended) {
        // A reminder deleted or changed meanwhile does not come back, nor one long gone.
        if (store::FindPaperOf(Core.DayPapers(), snooze.Alert) == nullptr)
            qCInfo(lcApp) << "a snoozed reminder is gone:" << snooze.Alert.Subject.c_str();
        else if (snooze.Until >= now - store::CatchUpDays)
            ShowAlert(snooze.Alert);
    }
    emit SnoozesChanged();
}

void TAlertBook::Tick(double now)
{
    ShowEndedSnoozes(now);
    if (now - FState.LastCheck >= LastCheckInterval || now < FState.LastCheck)
        NoteCheck(now);
}

TMissedForm* TAlertBook::MissedForm() const
{
    return FMissedForm;
}

std::optional<double> TAlertBook::NextSnoozeEnd() const
{
    if (FState.Snoozes.empty())
        return std::nullopt;
    return std::ranges::min(FState.Snoozes, {}, &store::TSnooze::Until).Until;
}

}  // namespace orvenna::app
