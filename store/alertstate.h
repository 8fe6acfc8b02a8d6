#pragma once
// The alert side file "Alerts.dat" of the program folder: the user's alert choices, the alerts
// that were snoozed and when each comes back, and the moment the reminders were last checked.
// Neither notes file nor settings file holds any of this, so their formats stay as they are.
//
// The file is plain text, one record a line, LF ends:
//
//     Orvenna alerts 1
//     StayUntilDismissed=0
//     SnoozeMinutes=5
//     LastCheck=46000.5
//     Snooze=<until>\t<moment>\t<paper day>\t<when>\t<before>\t<recurrency>\t<subject>
//     End
//
// Day counts are written with 17 significant digits, so they read back bit for bit. In the
// subject a backslash, a tab and a line end are written "\\", "\t" and "\n". Lines of an
// unknown key are skipped (a later version may add some); anything else that does not read,
// and a file without its "End" line, counts as damaged as a whole.

#include "store/datetime.h"
#include "store/daypapers.h"
#include "store/filesave.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvenna::store {

inline constexpr int AlertStateVersion = 1;

// The snooze lengths an alert offers, in minutes.
inline constexpr int SnoozeLengths[] = {1, 5, 10, 15, 30, 60};
inline constexpr int DefaultSnoozeMinutes = 5;

// One alert of one reminder on one day: enough to show it and to find its reminder again.
struct TAlertItem {
    TDateTime Moment = 0;    // when it falls due: the day's date and the reminder's alert time
    TDate PaperDay = 0;      // the day paper that holds the reminder
    TDateTime When = 0;      // the reminder's own date and time
    std::int32_t Before = 0;
    std::int32_t Recurrency = 0;
    std::string Subject;
    bool operator==(const TAlertItem&) const = default;
};

// An alert that was put off until a moment.
struct TSnooze {
    TDateTime Until = 0;
    TAlertItem Alert;
    bool operator==(const TSnooze&) const = default;
};

struct TAlertState {
    // An alert stays on screen until the user clicks or dismisses it.
    bool StayUntilDismissed = false;
    // What the snooze button gives without choosing from its list; one of SnoozeLengths.
    int SnoozeMinutes = DefaultSnoozeMinutes;
    // The last moment the reminders were checked; 0: never (nothing is caught up).
    TDateTime LastCheck = 0;
    std::vector<TSnooze> Snoozes;  // in the order they were made
    bool operator==(const TAlertState&) const = default;
};

std::string AlertStateToText(const TAlertState& state);
// Reads the text into state. On an unknown version or a damaged line returns what is wrong
// ("unknown version ...", "line 3: ...") and leaves state as it was; empty on success.
std::string AlertStateFromText(std::string_view text, TAlertState& state);

// Writes the file crash-safely (filesave.h); throws as SaveFileAtomically does. A file that
// already holds these bytes is left untouched.
void SaveAlertState(const std::string& fileName, const TAlertState& state);
// Reads the file into state. A missing file leaves state as it is and returns empty; a file
// that cannot be read or does not read returns the reason and leaves state as it was.
std::string LoadAlertState(const std::string& fileName, TAlertState& state);
// Reads the program's alerts file into state. A missing file leaves state as it is. A file
// that does not read is copied aside at once (SaveDamagedCopy), before anything can write over
// it, and the lines of it that still read are applied over state (a file of another version
// leaves state as it is); the result tells the error and the copy. Throws EFileError "Cannot
// open file ..." when the file exists but cannot be read.
TDamagedLoad LoadAlertStateFile(const std::string& fileName, TAlertState& state);

// True for a length the snooze list offers.
bool IsSnoozeLength(int minutes);
// "1 minute", "5 minutes", "1 hour", "2 hours".
std::string SnoozeLengthText(int minutes);

class TDayPaperList;

// The alert moment of a reminder on a day it is due: the day with the time of day of its
// ReminderTime, to the millisecond.
TDateTime AlertMomentOn(const TReminder& reminder, TDate day);
// When the reminder itself starts: the alert moment plus the lead time.
TDateTime StartOf(const TAlertItem& alert);
// The paper holding the alert's reminder (same When, Before, Recurrency and Subject), found
// again after the store was saved or reloaded; none when it was deleted or changed.
TDayPaper* FindPaperOf(TDayPaperList& papers, const TAlertItem& alert);
// The alerts of the store's reminders not yet alerted (State 0) whose moment lies in
// [from, to], earliest first; the paper's order breaks ties. An empty range gives none.
std::vector<TAlertItem> AlertsBetween(TDayPaperList& papers, TDateTime from, TDateTime to);

// How far back a catch-up looks, in days.
inline constexpr double CatchUpDays = 7;
// The alerts nobody saw between a check at lastCheck and the next one at now: those after
// lastCheck and up to now, at most CatchUpDays back, but not those the reminder check shows
// by itself (up to a minute after lastCheck, or less than a minute before now, on the same
// date: it compares times of day within a minute).
std::vector<TAlertItem> MissedAlerts(TDayPaperList& papers, TDateTime lastCheck, TDateTime now);

}  // namespace orvenna::store
