#include "app/appcore.h"

#include "app/alertbook.h"
#include "app/filedigest.h"
#include "app/localeformat.h"
#include "app/notefilewatch.h"
#include "app/startup.h"
#include "app/syncrunner.h"
#include "desktop/fontconvert.h"
#include "desktop/desktoplog.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "store/datetime.h"

#include "store/alertstate.h"
#include "store/daypaperlist.h"
#include "store/errors.h"
#include "store/filelock.h"
#include "store/filesave.h"
#include "store/papermerge.h"
#include "store/regional.h"
#include "store/settings.h"

#include <QFileInfo>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <exception>

namespace orvenna::app {

Q_LOGGING_CATEGORY(lcApp, "orvenna.app", QtWarningMsg)

QDate DateFromDays(double days)
{
    const std::optional<store::TDateParts> date = store::DecodeDate(days);
    return date ? QDate(date->Year, date->Month, date->Day) : QDate();
}

bool IsDueNow(double now, double reminderTime)
{
    const std::int64_t a = TimeOfDayMs(now);
    const std::int64_t b = TimeOfDayMs(reminderTime);
    // Less than a whole minute apart, either way.
    return a >= 0 && b >= 0 && std::llabs(a - b) < 60000;
}

TAppCore::TAppCore(platform::TPlatform& platform, platform::TClock& clock, QString programFolder,
                   QObject* parent)
    : QObject(parent),
      FPlatform(platform),
      FClock(clock),
      Folder(std::move(programFolder)),
      LockWait(store::DefaultLockWait),
      FSettings(std::make_unique<store::TCalSetting>(desktop::ScreenPixelsPerInch())),
      FLocalFormat(LocalFormatFromLocale())
{
    LoadSettings();
    LoadRegional();
    LoadNotes();
    ListDay = std::floor(FClock.Now());
    FAlerts = new TAlertBook(*this);
    NoteDamage(AlertStateFile(), FAlerts->LoadDamage());
    FAlarm = new TAlarmTimer(FClock, this);
    connect(&FAlarm->Timer(), &QTimer::timeout, this, &TAppCore::Timer1Timer);
    FAlarm->AddSource(nullptr, [this] { return NextDueMoment(); });
    connect(FAlarm, &TAlarmTimer::PassedUnseen, this, &TAppCore::PassedUnseen);
    connect(this, &TAppCore::NotesChanged, FAlarm, &TAlarmTimer::Rearm);
    connect(this, &TAppCore::SettingsChanged, FAlarm, &TAlarmTimer::Rearm);
    connect(&FPlatform, &platform::TPlatform::ClockChanged, FAlarm, &TAlarmTimer::Rearm);
    // Snoozes end at moments of their own; a wall clock that leapt ahead is caught up.
    FAlarm->AddSource(FAlerts, [this] { return FAlerts->NextSnoozeEnd(); });
    connect(FAlerts, &TAlertBook::SnoozesChanged, FAlarm, &TAlarmTimer::Rearm);
    connect(this, &TAppCore::PassedUnseen, FAlerts, &TAlertBook::PassedUnseen);
    connect(&FPlatform, &platform::TPlatform::HotKeyPressed, this, [this] {
        if (HotKeyHeld)
            emit TodayNoteRequested();
    });
    ConnectSync();
}

void TAppCore::ConnectSync()
{
    FSync = new TSyncRunner(FPlatform, FClock, Folder, {}, this);
    connect(this, &TAppCore::NotesChanged, FSync, &TSyncRunner::NotesChanged);
    // The clock watch tells resumes (and a clock that was set, which costs one sync).
    connect(&FPlatform, &platform::TPlatform::ClockChanged, FSync, &TSyncRunner::Resumed);
    connect(FSync, &TSyncRunner::NotesArrived, this, [this] {
        if (FNoteWatch)
            FNoteWatch->Check();
    });
}

TAppCore::~TAppCore()
{
    UnregisterHotKey();
}

QString TAppCore::NotesFile() const
{
    return ProgramFile(QLatin1String(NotesFileName));
}

QString TAppCore::SettingsFile() const
{
    return ProgramFile(QLatin1String(SettingsFileName));
}

QString TAppCore::AlertStateFile() const
{
    return ProgramFile(QLatin1String(AlertStateFileName));
}

QString TAppCore::RegionalFile() const
{
    return ProgramFile(QLatin1String(store::RegionalFileName));
}

QDate TAppCore::Today() const
{
    return DateFromDays(FClock.Now());
}

void TAppCore::LoadSettings()
{
    try {
        NoteDamage(SettingsFile(), store::LoadSettingsFile(*FSettings, SettingsFile().toStdString()));
    } catch (const store::EStoreError& error) {
        // A file that cannot be read: carry on with the creation values.
        qCWarning(lcApp) << "settings:" << error.what();
        FSettings = std::make_unique<store::TCalSetting>(desktop::ScreenPixelsPerInch());
    }
}

void TAppCore::LoadRegional()
{
    const std::string failure = store::LoadRegional(RegionalFile().toStdString(), FRegional);
    // A damaged file leaves the designed choices; the next confirmed dialog writes a good one.
    if (!failure.empty())
        qCInfo(lcApp) << "regional choices:" << failure.c_str();
    FLocalFormat = store::WithChoices(LocalFormatFromLocale(), FRegional);
}

void TAppCore::LoadNotes()
{
    FDayPapers = std::make_unique<store::TDayPaperList>([this] {
        return std::floor(FClock.Now());
    });
    const std::string file = NotesFile().toStdString();
    const std::optional<store::TFileStamp> stamp = store::FileStampOf(file);
    std::string bytes;
    try {
        bytes = store::ReadWholeFile(file);
    } catch (const store::EFileError& openError) {
        // Only a missing file is replaced by an empty one: one that exists but cannot be
        // opened still holds the user's notes.
        if (QFileInfo::exists(NotesFile())) {
            qCWarning(lcApp) << openError.what();
            return;
        }
        // Under the file's lock, and only while the file is still missing: another writer may
        // have made it since the read.
        bool madeMeanwhile = false;
        try {
            const store::TFileLock lock(file, LockWait);
            madeMeanwhile = QFileInfo::exists(NotesFile());
            if (!madeMeanwhile)
                WriteNotes();
        } catch (const store::EStoreError& error) {
            qCWarning(lcApp) << error.what();
            FLoadFailure = QString::fromStdString(error.what());
        }
        if (madeMeanwhile)
            LoadNotes();
        return;
    }
    FDayPapers->LoadFromFileBytes(bytes, file);
    // The stamp stands for the bytes read only when nothing wrote the file meanwhile.
    KeepNotesBase(std::move(bytes), stamp == store::FileStampOf(file) ? stamp : std::nullopt);
    store::TDamagedLoad damage{FDayPapers->LoadError(), {}, {}};
    if (damage.Error.empty() && FDayPapers->UnreadBytes() > 0)
        damage.Error = std::to_string(FDayPapers->UnreadBytes()) + " bytes after the " +
                       std::to_string(FDayPapers->Count()) + " counted papers were left unread";
    if (!damage.Damaged())
        return;
    // Kept now, not at the first save: the user is told where the copy is.
    try {
        damage.Copy = FDayPapers->KeepDamagedCopy();
    } catch (const store::EStoreError& error) {
        damage.CopyFailure = error.Text();
    }
    NoteDamage(NotesFile(), damage);
}

void TAppCore::NoteDamage(const QString& file, const store::TDamagedLoad& damage)
{
    if (!damage.Damaged())
        return;
    const QString error = QString::fromStdString(damage.Error);
    const QString paragraph =
        damage.Copy.empty()
            ? tr("\"%1\" is damaged (%2). The calendar uses what could be read; the file could "
                 "not be copied aside (%3).")
                  .arg(file, error, QString::fromStdString(damage.CopyFailure))
            : tr("\"%1\" is damaged (%2). The calendar uses what could be read; the file as it "
                 "was is kept as \"%3\".")
                  .arg(file, error, QString::fromStdString(damage.Copy));
    qCWarning(lcApp).noquote() << paragraph;
    if (!FLoadDamage.isEmpty())
        FLoadDamage += QStringLiteral("\n\n");
    FLoadDamage += paragraph;
}

void TAppCore::KeepNotesBase(std::string bytes, std::optional<store::TFileStamp> stamp)
{
    WrittenDigest = FileDigest(bytes);
    NotesBase = std::move(bytes);
    NotesStamp = stamp;
}

void TAppCore::WriteNotes()
{
    const std::string file = NotesFile().toStdString();
    // Written into the spare buffer, which keeps its size from save to save: a large store
    // is not allocated anew each time. The base changes only once the file is in place.
    SpareBytes.clear();
    FDayPapers->SaveToFile(file, [this](std::string_view bytes) { SpareBytes.append(bytes); });
    NotesBase.swap(SpareBytes);
    WrittenDigest = FileDigest(NotesBase);
    NotesStamp = store::FileStampOf(file);
}

bool TAppCore::MergeOutsideNotes(QString& told)
{
    const std::string file = NotesFile().toStdString();
    const std::optional<store::TFileStamp> stamp = store::FileStampOf(file);
    if (stamp && stamp == NotesStamp)
        return false;  // the file as the program last read or wrote it
    std::string disk;
    try {
        disk = store::ReadWholeFile(file);
    } catch (const store::EFileError&) {
        return false;  // missing, or no file: the save puts the store there or says why not
    }
    if (FileDigest(disk) == WrittenDigest) {
        // The bytes the program knows (taken up from the watch): the stamp tells them from now on.
        if (stamp && stamp == store::FileStampOf(file))
            NotesStamp = stamp;
        return false;
    }
    store::TDayPaperList theirs;
    const std::string failure = theirs.LoadFromBytes(disk);
    const bool whole = failure.empty() && theirs.UnreadBytes() == 0;
    if (!whole) {
        const store::TDamagedLoad damage = store::KeepDamaged(
            file, disk, failure.empty() ? std::to_string(theirs.UnreadBytes()) + " bytes left unread" : failure);
        told = damage.Copy.empty()
                   ? tr("\"%1\" was changed by another program and cannot be read whole (%2). "
                        "What could be read was kept with your change; the file could not be "
                        "copied aside (%3).")
                         .arg(NotesFile(), QString::fromStdString(damage.Error),
                              QString::fromStdString(damage.CopyFailure))
                   : tr("\"%1\" was changed by another program and cannot be read whole (%2). "
                        "What could be read was kept with your change; the file as it was is "
                        "kept as \"%3\".")
                         .arg(NotesFile(), QString::fromStdString(damage.Error),
                              QString::fromStdString(damage.Copy));
    }
    store::TDayPaperList base;
    base.LoadFromBytes(NotesBase);
    store::MergeChangedDays(base, *FDayPapers, theirs, whole);
    std::string merged = theirs.SaveToBytes();
    store::SaveFileAtomically(file, merged);
    // The store becomes what was written; what the alert check took today stays taken.
    FDayPapers->ReloadFromBytes(merged, file);
    KeepNotesBase(std::move(merged), store::FileStampOf(file));
    return true;
}

void TAppCore::Start()
{
    FAlerts->Start();
    if (!FNoteWatch)
        FNoteWatch = new TNoteFileWatch(*this);
    FAlarm->Start();
    emit Started();
    FSync->Start();
}

void TAppCore::CalendarShown()
{
    FAlerts->SaveStartCheck();
}

void TAppCore::RebuildAtNewDay(double now)
{
    const double today = std::floor(now);
    if (today == ListDay)
        return;
    // A calendar running past midnight alerts the new day's reminders.
    const QDate before = DateFromDays(ListDay);
    ListDay = today;
    FDayPapers->BuildTodayList();
    emit DayChanged(before, DateFromDays(today));
}

void TAppCore::Timer1Timer()
{
    const double now = FClock.Now();
    FAlerts->Tick(now);
    RebuildAtNewDay(now);
    store::TReminderList& list = FDayPapers->TodayList();
    // Removing an entry moves the next one up into its place; it is examined in the same tick.
    int i = 0;
    while (i < list.ReminderCount()) {
        const store::TReminder& r = list.GetReminder(i);
        if (!IsDueNow(now, r.ReminderTime())) {
            ++i;
            continue;
        }
        if (r.State == 0)
            FAlerts->Alert(r, store::AlertMomentOn(r, std::floor(now)));
        list.DeleteReminder(i);
    }
}

std::optional<double> TAppCore::NextDueMoment() const
{
    const double now = FClock.Now();
    std::optional<double> next;
    const store::TReminderList& list = FDayPapers->TodayList();
    for (int i = 0; i < list.ReminderCount(); ++i) {
        const std::optional<double> moment = app::NextDueMoment(now, list.GetReminder(i).ReminderTime());
        if (moment && (!next || *moment < *next))
            next = moment;
    }
    return next;
}

void TAppCore::AddMomentSource(QObject* owner, TMomentSource source)
{
    FAlarm->AddSource(owner, std::move(source));
}

void TAppCore::Rearm()
{
    FAlarm->Rearm();
}

bool TAppCore::RegisterHotKey()
{
    if (HotKeyHeld)
        return true;
    HotKeyHeld =
        FPlatform.CanRegisterHotKey() && FPlatform.RegisterHotKey(FPlatform.DefaultHotKey());
    if (HotKeyHeld)
        qCDebug(desktop::lcTrace) << "hotkey is registered";
    return HotKeyHeld;
}

void TAppCore::UnregisterHotKey()
{
    if (!HotKeyHeld)
        return;
    HotKeyHeld = false;
    FPlatform.UnregisterHotKey();
}

void TAppCore::Close(QPoint windowPos)
{
    FSettings->Top = windowPos.y();
    FSettings->Left = windowPos.x();
    SaveSettings();
    FAlerts->Close();
    FAlarm->Stop();
    emit Stopped();
}

bool TAppCore::SaveNotes()
{
    QString told;
    try {
        const store::TFileLock lock(NotesFile().toStdString(), LockWait);
        if (!MergeOutsideNotes(told))
            WriteNotes();
    } catch (const store::EStoreError& error) {
        // Told once the lock is given back: a box must not keep other writers waiting.
        ReportError(QString::fromStdString(error.what()));
        return false;
    }
    emit NotesChanged();
    if (!told.isEmpty())
        ReportError(told);
    return true;
}

bool TAppCore::SaveSettings()
{
    try {
        const store::TFileLock lock(SettingsFile().toStdString(), LockWait);
        FSettings->SaveToFile(SettingsFile().toStdString());
    } catch (const store::EStoreError& error) {
        ReportError(QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

bool TAppCore::SaveAlertState(bool userAsked)
{
    try {
        const store::TFileLock lock(AlertStateFile().toStdString(), LockWait);
        store::SaveAlertState(AlertStateFile().toStdString(), FAlerts->State());
    } catch (const std::exception& error) {
        const QString failure = QString::fromStdString(error.what());
        if (userAsked)
            ReportError(failure);
        else
            qCWarning(lcApp).noquote() << failure;
        return false;
    }
    return true;
}

bool TAppCore::SaveRegional()
{
    try {
        store::SaveRegional(RegionalFile().toStdString(), FRegional);
    } catch (const store::EStoreError& error) {
        ReportError(QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

QString TAppCore::TakeUpNotesFile(std::string_view bytes)
{
    const std::string failure = FDayPapers->ReloadFromBytes(bytes, NotesFile().toStdString());
    if (!failure.empty())
        return QString::fromStdString(failure);
    // No stamp: the file may have changed again since the watch read it.
    KeepNotesBase(std::string(bytes), std::nullopt);
    emit NotesChanged();
    return {};
}

void TAppCore::ReportUnreadableNotes(const QString& failure)
{
    ReportError(tr("\"%1\" was changed by another program and cannot be read (%2). The "
                   "calendar keeps the notes it has; its next save keeps a copy of the changed "
                   "file.")
                    .arg(NotesFile(), failure));
}

void TAppCore::ApplySettings()
{
    FLocalFormat = store::WithChoices(LocalFormatFromLocale(), FRegional);
    QString failure;
    try {
        FPlatform.SetAutoRun(FSettings->IsDeskChild);
    } catch (const std::exception& error) {
        failure = QString::fromStdString(error.what());
    }
    // The other settings do not depend on the start-up entry: they apply in any case.
    emit SettingsChanged();
    if (!failure.isEmpty())
        ReportError(failure);
}

void TAppCore::ReportError(const QString& text)
{
    qCWarning(lcApp).noquote() << text;
    emit ErrorReported(text);
}

}  // namespace orvenna::app
