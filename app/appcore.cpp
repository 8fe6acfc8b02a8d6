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
#include "store/filesave.h"
#include "store/settings.h"

#include <QFileInfo>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <filesystem>
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
      FSettings(std::make_unique<store::TCalSetting>(desktop::ScreenPixelsPerInch())),
      FLocalFormat(LocalFormatFromLocale())
{
    LoadSettings();
    LoadNotes();
    ListDay = std::floor(FClock.Now());
    FAlerts = new TAlertBook(*this);
    FAlarm = new TAlarmTimer(FClock, this);
    connect(&FAlarm->Timer(), &QTimer::timeout, this, &TAppCore::Timer1Timer);
    FAlarm->AddSource(nullptr, [this] { return NextDueMoment(); });
    connect(FAlarm, &TAlarmTimer::ClockJumped, this, &TAppCore::ClockJumped);
    connect(this, &TAppCore::NotesChanged, FAlarm, &TAlarmTimer::Rearm);
    connect(this, &TAppCore::SettingsChanged, FAlarm, &TAlarmTimer::Rearm);
    connect(&FPlatform, &platform::TPlatform::ClockChanged, FAlarm, &TAlarmTimer::Rearm);
    // Snoozes end at moments of their own; a wall clock that leapt ahead is caught up.
    FAlarm->AddSource(FAlerts, [this] { return FAlerts->NextSnoozeEnd(); });
    connect(FAlerts, &TAlertBook::SnoozesChanged, FAlarm, &TAlarmTimer::Rearm);
    connect(this, &TAppCore::ClockJumped, FAlerts, &TAlertBook::ClockJumped);
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

QDate TAppCore::Today() const
{
    return DateFromDays(FClock.Now());
}

void TAppCore::LoadSettings()
{
    try {
        FSettings->LoadFromFile(SettingsFile().toStdString());
    } catch (const store::EStoreError& error) {
        // A missing or damaged file: carry on with the creation values; the next close
        // writes a good file.
        qCInfo(lcApp) << "settings:" << error.what();
        FSettings = std::make_unique<store::TCalSetting>(desktop::ScreenPixelsPerInch());
    }
}

void TAppCore::LoadNotes()
{
    FDayPapers = std::make_unique<store::TDayPaperList>([this] {
        return std::floor(FClock.Now());
    });
    try {
        FDayPapers->LoadFromFile(NotesFile().toStdString());
    } catch (const store::EFileError& openError) {
        // Only a missing file is replaced by an empty one: one that exists but cannot be
        // opened still holds the user's notes.
        if (QFileInfo::exists(NotesFile())) {
            qCWarning(lcApp) << openError.what();
            return;
        }
        try {
            WriteNotes();
        } catch (const store::EStoreError& error) {
            qCWarning(lcApp) << error.what();
            FLoadFailure = QString::fromStdString(error.what());
        }
    }
}

void TAppCore::WriteNotes()
{
    TFileDigest digest;
    FDayPapers->SaveToFile(NotesFile().toStdString(),
                           [&digest](std::string_view bytes) { digest.Add(bytes); });
    WrittenDigest = digest.Value();
    WrittenStamp = NotesStamp();
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

std::optional<TAppCore::TFileStamp> TAppCore::NotesStamp() const
{
    std::error_code error;
    const std::filesystem::path file = NotesFile().toStdString();
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    const auto changed = std::filesystem::last_write_time(file, error);
    if (error)
        return std::nullopt;
    return TFileStamp{size, changed.time_since_epoch().count()};
}

bool TAppCore::NotesChangedElsewhere()
{
    const std::optional<TFileStamp> stamp = NotesStamp();
    if (WrittenDigest == 0 || !stamp || stamp == WrittenStamp)
        return false;  // a missing file is simply written
    std::string bytes;
    try {
        bytes = store::ReadWholeFile(NotesFile().toStdString());
    } catch (const store::EStoreError&) {
        return false;
    }
    const std::uint64_t digest = FileDigest(bytes);
    if (digest == WrittenDigest || digest == DeferredDigest)
        return false;  // touched only, or bytes a take-up could not read
    DeferredDigest = digest;
    return true;
}

bool TAppCore::SaveNotes()
{
    if (NotesChangedElsewhere()) {
        qCInfo(lcApp) << "the notes file changed under the program; it is taken up first";
        QTimer::singleShot(0, this, [this] {
            if (FNoteWatch)
                FNoteWatch->Check();
        });
        return false;
    }
    try {
        WriteNotes();
    } catch (const store::EStoreError& error) {
        ReportError(QString::fromStdString(error.what()));
        return false;
    }
    emit NotesChanged();
    return true;
}

bool TAppCore::SaveSettings()
{
    try {
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

void TAppCore::TakeUpNotesFile(std::string_view bytes)
{
    const QString file = NotesFile();
    const std::string failure = FDayPapers->ReloadFromBytes(bytes, file.toStdString());
    if (failure.empty()) {
        WrittenDigest = FileDigest(bytes);
        WrittenStamp = NotesStamp();
        emit NotesChanged();
        return;
    }
    ReportError(QStringLiteral("\"%1\" was changed by another program and cannot be read (%2). "
                               "The calendar keeps the notes it has; its next save keeps a "
                               "copy of the changed file.")
                    .arg(file, QString::fromStdString(failure)));
}

void TAppCore::ApplySettings()
{
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
