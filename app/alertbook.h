#pragma once
// TAlertBook: what makes a reminder's alert hard to miss, apart from its windows. It plays the
// sound of each alert and announces it (AlertDue, shown by the window manager with a snooze
// and a dismiss button), brings snoozed alerts back at their moment (also after midnight and
// after a restart), and finds the alerts that fell due while the program was not running or
// the computer slept (AlertsMissed). Choices, snoozes and the last check live in the side file
// "Alerts.dat" of the program folder (store/alertstate.h), which the core writes.
//
// Made by the core; the core must outlive it (it is the core's child). GUI thread only.

#include "store/alertstate.h"

#include <QDate>
#include <QMetaType>
#include <QObject>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvenna::store {
class TReminder;
}

namespace orvenna::app {

class TAppCore;

// The choices of the snooze list: store::SnoozeLengths, then "Until it starts".
QStringList SnoozeChoices();
// The moment a snooze of that list entry ends for an alert snoozed at now; none for
// "Until it starts" when the reminder has no lead time or has already started.
std::optional<double> SnoozeEnd(const store::TAlertItem& alert, int choice, double now);

class TAlertBook final : public QObject {
    Q_OBJECT

public:
    // The last check is noted this often while the program runs (besides at each alert and
    // at close), in days.
    static constexpr double LastCheckInterval = 5.0 / 1440;

    // Reads "Alerts.dat": a damaged file, or one of an unknown version, is copied aside at once
    // and what of it still reads is kept (LoadDamage tells the core); one that cannot be opened
    // is traced and left alone.
    explicit TAlertBook(TAppCore& core);

    // What loading "Alerts.dat" found damaged, and the copy kept of it.
    const store::TDamagedLoad& LoadDamage() const { return FLoadDamage; }

    store::TAlertState& State() { return FState; }
    // Has the core write "Alerts.dat" (TAppCore::SaveAlertState).
    bool SaveState();

    // At start: lists the alerts missed since the last check and notes this check, which is
    // written by SaveStartCheck (or by any earlier write of the file).
    void Start();
    // Writes the check Start noted, unless a write since has done so.
    void SaveStartCheck();
    // At close: notes the last check.
    void Close();

    // The alert of a today-list reminder at its moment; nothing when that alert was shown or
    // listed in this run already (the clock was set back).
    void Alert(const store::TReminder& reminder, double moment);
    // Plays the alert's sound and announces it (AlertDue).
    void ShowAlert(const store::TAlertItem& alert);
    // Puts the alert off until the moment and keeps that in the side file.
    void Snooze(const store::TAlertItem& alert, double until);
    // One check at now: ended snoozes come back, and now and then the last check is noted.
    void Tick(double now);
    // The moments from before to after passed without a check (the computer slept, the time
    // was set ahead, the check ran late): lists what fell due in between. The core's
    // TAppCore::PassedUnseen calls it.
    void PassedUnseen(double before, double after);
    // The earliest moment a snooze ends; none without snoozes.
    std::optional<double> NextSnoozeEnd() const;

signals:
    // An alert is due now, its sound already playing.
    void AlertDue(const store::TAlertItem& alert);
    // Alerts fell due unseen (none twice, none shown or snoozed in this run); never empty.
    void AlertsMissed(const std::vector<store::TAlertItem>& alerts);
    // A snooze was added or ended: the next moment that matters may have changed.
    void SnoozesChanged();

private:
    void CatchUp(double lastCheck, double now);
    void ShowEndedSnoozes(double now);
    void NoteCheck(double now);

    TAppCore& Core;
    store::TAlertState FState;
    // The alerts shown or listed in this run within a day; neither an alert nor a catch-up
    // takes them again.
    std::vector<store::TAlertItem> Shown;
    store::TDamagedLoad FLoadDamage;
    bool StartCheckUnsaved = false;  // Start noted a check that no write has taken yet
};

}  // namespace orvenna::app

Q_DECLARE_METATYPE(orvenna::store::TAlertItem)
