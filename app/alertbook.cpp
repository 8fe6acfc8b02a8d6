#include "app/alertbook.h"

#include "app/appcore.h"
#include "desktop/storetexts.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "store/daypaperlist.h"
#include "store/errors.h"
#include "store/settings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace orvenna::app {
namespace {

constexpr int SnoozeLengthCount = static_cast<int>(std::size(store::SnoozeLengths));
constexpr int UntilItStarts = SnoozeLengthCount;  // the entry after the lengths

}  // namespace

QStringList SnoozeChoices()
{
    QStringList choices;
    for (const int minutes : store::SnoozeLengths)
        choices << desktop::SnoozeLengthCaption(minutes);
    choices << TAlertBook::tr("Until it starts");
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
    try {
        FLoadDamage = store::LoadAlertStateFile(file.toStdString(), FState);
    } catch (const store::EStoreError& error) {
        // A file that cannot be opened is left alone: the defaults hold for this run.
        qCWarning(lcApp).noquote() << "alerts file ignored:" << QString::fromStdString(error.Text());
    }
}

bool TAlertBook::SaveState()
{
    StartCheckUnsaved = false;
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
    // Noted now, written once the calendar shows (SaveStartCheck): the write's flushes to the
    // disk would hold up its first picture.
    FState.LastCheck = now;
    StartCheckUnsaved = true;
}

void TAlertBook::SaveStartCheck()
{
    if (StartCheckUnsaved)
        SaveState();
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
    if (missed.empty())
        return;
    Shown.insert(Shown.end(), missed.begin(), missed.end());
    emit AlertsMissed(missed);
}

void TAlertBook::PassedUnseen(double before, double after)
{
    qCInfo(lcApp) << (after - before) * 1440 << "minutes passed without a check";
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
    if (std::ranges::find(Shown, alert) != Shown.end())
        return;
    ShowAlert(alert);
}

void TAlertBook::ShowAlert(const store::TAlertItem& alert)
{
    const double now = Core.Clock().Now();
    std::erase_if(Shown, [now](const store::TAlertItem& seen) { return seen.Moment < now - 1; });
    Shown.push_back(alert);
    // A missing or unplayable file is a silent alert.
    Core.Platform().PlaySound(QString::fromStdString(Core.Settings().SoundFile));
    emit AlertDue(alert);
    NoteCheck(now);
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

std::optional<double> TAlertBook::NextSnoozeEnd() const
{
    if (FState.Snoozes.empty())
        return std::nullopt;
    return std::ranges::min(FState.Snoozes, {}, &store::TSnooze::Until).Until;
}

}  // namespace orvenna::app
