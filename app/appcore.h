#pragma once
// TAppCore: the program's state for the whole run, apart from any window. It owns the notes
// store, the settings record, the locale record, the alert book and the reminder timer with its
// check, and it knows the program folder, the clock and the platform. Windows show this state
// and change the model, then ask the core to save it; the core is the one writer of the
// program's data files and tells every window what changed through its signals, once per
// change. It opens no window: what is due and what was missed the alert book announces, and
// the window manager (app/windowmanager.h) shows it.
//
// Lifetime: made in main() before the calendar window and destroyed after it. The platform
// and the clock must outlive it. GUI thread only.

#include "app/alarmtimer.h"
#include "app/applog.h"
#include "store/filesave.h"
#include "store/localformat.h"
#include "store/regional.h"

#include <QDate>
#include <QObject>
#include <QPoint>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>


namespace orvenna::platform {
class TClock;
class TPlatform;
}  // namespace orvenna::platform
namespace orvenna::store {
class TCalSetting;
class TDayPaperList;
struct TDamagedLoad;
}  // namespace orvenna::store

namespace orvenna::app {

// The program's data files in the program folder; the core alone writes them.
inline constexpr const char* NotesFileName = "2004.cal";
inline constexpr const char* SettingsFileName = "Setting.cfg";
inline constexpr const char* AlertStateFileName = "Alerts.dat";

class TAlertBook;
class TNoteFileWatch;
class TSyncRunner;

// The date of a day count from 30 December 1899 (the fraction, the time of day, is dropped;
// -1.25 is 29 December 1899). Invalid outside the years 1 to 9999.
QDate DateFromDays(double days);
// True when the times of day of the two day counts lie less than a minute apart, either way;
// the dates do not count.
bool IsDueNow(double now, double reminderTime);

class TAppCore final : public QObject {
    Q_OBJECT

public:
    // Loads "Setting.cfg" (a missing file gives the creation values, a damaged one what read
    // before the damage), "2004.cal" (a missing file is replaced by an empty one; one that
    // exists but cannot be opened is left alone and the store starts empty; a damaged one gives
    // the papers before the damage) and "Alerts.dat". A damaged file is copied aside at once,
    // before anything can write over it (LoadDamage). programFolder ends with '/'.
    TAppCore(platform::TPlatform& platform, platform::TClock& clock, QString programFolder,
             QObject* parent = nullptr);
    ~TAppCore() override;

    // ---- what the windows reach -----------------------------------------------------------
    platform::TPlatform& Platform() const { return FPlatform; }
    platform::TClock& Clock() const { return FClock; }
    // The program folder with one trailing '/', and a file in it.
    const QString& ProgramFolder() const { return Folder; }
    QString ProgramFile(const QString& name) const { return Folder + name; }
    QString NotesFile() const;       // "2004.cal"
    QString SettingsFile() const;    // "Setting.cfg"
    QString AlertStateFile() const;  // "Alerts.dat"
    QString RegionalFile() const;    // "Regional.dat"
    // Today's local date by the clock.
    QDate Today() const;
    // What loading could not write (the empty "2004.cal" in place of a missing one), in the
    // system's words; empty when nothing failed. The entry sequence shows it.
    const QString& LoadFailure() const { return FLoadFailure; }
    // The data files found damaged at load, one paragraph each, naming the copy kept of each;
    // empty when every file read whole or was missing. The entry sequence shows it once.
    const QString& LoadDamage() const { return FLoadDamage; }

    store::TDayPaperList& DayPapers() const { return *FDayPapers; }
    store::TCalSetting& Settings() const { return *FSettings; }
    // The user's locale with the regional choices applied (store::WithChoices).
    const store::TLocalFormat& LocalFormat() const { return FLocalFormat; }
    // The regional choices of the side file "Regional.dat": week start, time form, week
    // numbers. A window changes them, then SaveRegional() and ApplySettings().
    store::TRegionalChoices& Regional() { return FRegional; }
    const store::TRegionalChoices& Regional() const { return FRegional; }
    // Snoozes, catch-up and the alert choices of the side file "Alerts.dat".
    TAlertBook& Alerts() const { return *FAlerts; }
    // The syncs with the calendar server and the subscribed calendars (app/syncrunner.h):
    // started with the core, told of every change of the notes and of every resume; what a
    // sync wrote to "2004.cal" is taken up at once.
    TSyncRunner& Sync() const { return *FSync; }
    // Adds a source of moments that the reminder check must not sleep past (a snooze's end,
    // say): asked at every arming of its timer (app/alarmtimer.h), dropped when owner is
    // destroyed. Call Rearm() whenever its answer changes.
    void AddMomentSource(QObject* owner, TMomentSource source);
    // Arms the reminder check anew (nothing before Start() or after Close()). Its timer is
    // single shot, armed for the next moment that matters (a due entry of the today list, a
    // moment of AddMomentSource, the next half hour), and armed anew after each check, on
    // NotesChanged, SettingsChanged and the platform's ClockChanged. An alert still shows
    // within a second of its minute.
    void Rearm();

    // ---- run ------------------------------------------------------------------------------
    // Lists the reminders missed since the last run, starts watching "2004.cal" for changes by
    // other programs (app/notefilewatch.h), arms the reminder check and announces Started.
    // The note of this check in "Alerts.dat" waits for CalendarShown.
    void Start();
    // The calendar's first picture is on screen, or is not coming soon (the window manager
    // tells): writes what Start put off.
    void CalendarShown();
    // The calendar window closes at windowPos: stores the position in the settings, saves
    // "Setting.cfg", notes the last reminder check in "Alerts.dat", stops the reminder check
    // and announces Stopped.
    void Close(QPoint windowPos);
    // The reminder check, at each moment of its timer: lets the alert book check (ended
    // snoozes), rebuilds the store's today list when the local date has changed since the last
    // check (DayChanged), then alerts every entry whose time of day has come (less than a
    // minute either way) and removes it, alerted or not; an entry whose State is not 0 goes
    // silently.
    void Timer1Timer();

    // Grabs the platform's hot key for today's note (Super+Space under X11); each press then
    // arrives as TodayNoteRequested. False, silently, when the key is taken or the system
    // cannot grab keys: the tray icon still opens today's note. Released by UnregisterHotKey
    // or when the core ends; the splash window holds it from its creation to its close.
    bool RegisterHotKey();
    void UnregisterHotKey();
    bool HotKeyRegistered() const { return HotKeyHeld; }

    // ---- changes --------------------------------------------------------------------------
    // The three writers of the data files. Each writes crash-safely (a failure leaves the old
    // file as it was) and reports a failure one way: ErrorReported with the store's message,
    // and false.
    //
    // Each runs under the file's lock (store/filelock.h), so that no other writer that takes
    // it (the notes tool, a sync) writes between the read and the write; a lock not had in time
    // is a failure ("Cannot lock file ...").
    //
    // A window changed the store's papers: writes the whole store to "2004.cal" and announces
    // NotesChanged, the one announcement of the change. When the file holds other bytes than
    // the program last read or wrote (another program wrote it, and the file watch has not
    // taken that up yet), the store's changes since then are laid over what the file holds,
    // day by day (store/papermerge.h), and the store becomes the result: nothing another
    // program wrote is lost, whenever the save comes. The file is read only when its stamp
    // (store::TFileStamp) differs from the one it had then, or the program is unsure of it: a
    // writer that renames a new file over it (as the notes tool does) always shows; one that
    // writes in place without the lock within the same tick of the file system's clock as the
    // program, leaving the size as it was, does not. A file that does not read whole is copied
    // aside first and the copy is reported (ErrorReported) after the save. On failure nothing
    // is announced, and the store is as it was; the window keeps what the user typed and may
    // restore the paper.
    bool SaveNotes();
    // Writes the settings record to "Setting.cfg".
    bool SaveSettings();
    // Writes the alert book's choices, snoozes and last check to "Alerts.dat". The book saves
    // in the background (at each alert, every few minutes): its failures are logged only, as
    // the start-up has said it once when the folder cannot be written. A save the user asked
    // for (the settings dialog's OK) reports its failure like the others.
    bool SaveAlertState(bool userAsked = false);
    // How long a save waits for another writer's lock before it reports the file busy
    // (store::DefaultLockWait unless a test shortens it).
    void SetLockWait(std::chrono::milliseconds wait) { LockWait = wait; }
    // Writes the regional choices to "Regional.dat".
    bool SaveRegional();
    // The settings record was changed and confirmed (and saved): applies what belongs to the
    // system (the start-up entry), takes the regional choices into the locale record and
    // announces SettingsChanged, on which every window re-applies its part. A start-up entry
    // that cannot be written is reported (ErrorReported) after the rest was applied.
    void ApplySettings();

    // ---- the notes file on disk -------------------------------------------------------------
    // The digest (app/filedigest.h) of the bytes the core last read from "2004.cal", wrote to
    // it or took up from it; 0 before any of them.
    std::uint64_t NotesDigest() const { return WrittenDigest; }
    // "2004.cal" holds bytes another program wrote: they replace the store's papers,
    // NotesChanged is announced and an empty text is returned. Bytes that cannot be read whole
    // leave the store as it was and return the reader's message; nothing is reported (the
    // caller tells it once per burst of writes, ReportUnreadableNotes), and the next save keeps
    // a copy of them.
    QString TakeUpNotesFile(std::string_view bytes);
    // Reports (ErrorReported) that "2004.cal", changed by another program, cannot be read.
    void ReportUnreadableNotes(const QString& failure);
    // Logs the text and announces ErrorReported; main() shows it in an error box.
    void ReportError(const QString& text);

signals:
    // The store's papers changed (and were saved); note marks must be redrawn.
    void NotesChanged();
    // The settings record changed; windows re-apply fonts, pictures, shape and presence.
    void SettingsChanged();
    // An error the user must see, in the system's own words.
    void ErrorReported(const QString& text);
    // The hot key asks for today's note.
    void TodayNoteRequested();
    // The core started (Start) and stopped (Close): windows that live with the run follow.
    void Started();
    void Stopped();
    // The local date changed between two reminder checks (a calendar running past midnight);
    // the today list was rebuilt for after.
    void DayChanged(QDate before, QDate after);
    // Moments between from and to (day counts) passed without a reminder check: the wall clock
    // leapt ahead (the system slept, or its time was set ahead), or the check ran later than
    // its moment (the process was stopped or starved). Emitted at the next timeout or arming
    // of Timer1, before the timeout's listeners run.
    void PassedUnseen(double from, double to);

private:
    void LoadSettings();
    void LoadNotes();
    // Adds a damaged file's paragraph to LoadDamage.
    void NoteDamage(const QString& file, const store::TDamagedLoad& damage);
    void ConnectSync();
    void LoadRegional();
    void RebuildAtNewDay(double now);
    // Writes the store to "2004.cal" and keeps what was written (NotesBase) and its digest.
    void WriteNotes();
    // Under the notes file's lock: when the file holds bytes the program did not last read or
    // write, lays the store's changes since NotesBase over them, writes the result and takes it
    // up; told gets what must be reported afterwards. False when the file holds what the
    // program last read or wrote (or cannot be read): the plain save follows.
    bool MergeOutsideNotes(QString& told);
    // The bytes of "2004.cal" the program now knows, and the file's stamp when it is sure the
    // stamp belongs to them.
    void KeepNotesBase(std::string bytes, std::optional<store::TFileStamp> stamp);
    // The first moment the reminder check finds an entry of the today list due; none when
    // every entry's time has passed.
    std::optional<double> NextDueMoment() const;

    platform::TPlatform& FPlatform;
    platform::TClock& FClock;
    QString Folder;
    std::chrono::milliseconds LockWait;
    QString FLoadFailure;
    QString FLoadDamage;
    std::unique_ptr<store::TCalSetting> FSettings;
    std::unique_ptr<store::TDayPaperList> FDayPapers;
    store::TRegionalChoices FRegional;
    store::TLocalFormat FLocalFormat;
    TAlertBook* FAlerts = nullptr;         // child of the core
    TAlarmTimer* FAlarm = nullptr;         // child of the core
    TNoteFileWatch* FNoteWatch = nullptr;  // child of the core, from Start() on
    TSyncRunner* FSync = nullptr;          // child of the core
    double ListDay = 0;                    // the day the today list was built for
    bool HotKeyHeld = false;
    std::uint64_t WrittenDigest = 0;
    // The bytes of "2004.cal" the program last read, wrote or took up: what its store's
    // changes are measured from when another program wrote the file since.
    std::string NotesBase;
    std::string SpareBytes;  // the next save's bytes, until the file is in place
    // The stamp of "2004.cal" holding NotesBase: while the file keeps it, a save need not read
    // the file to know that nobody else wrote it. None when unsure: the save reads the file.
    std::optional<store::TFileStamp> NotesStamp;
};

}  // namespace orvenna::app
