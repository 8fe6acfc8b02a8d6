#include "app/appcore.h"

#include "app/alertbook.h"
#include "app/filedigest.h"
#include "app/localeformat.h"
#include "app/notefilewatch.h"
#include "app/daygrid.h"
#include "app/startup.h"
#include "desktop/fontconvert.h"
#include "desktop/guitool.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "popup/slidepopup.h"
#include "store/datetime.h"

#include "store/alertstate.h"
#include "store/daypaperlist.h"
#include "store/errors.h"
#include "store/settings.h"

#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cmath>
#include <exception>

namespace orvenna::app {

Q_LOGGING_CATEGORY(lcApp, "orvenna.app", QtWarningMsg)

namespace {

constexpr const char* ProgramTitle = "Orvenna";

// A 16 x 16 picture of a calendar leaf for the tray.
QIcon TrayPicture()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(40, 40, 40));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 2, 13, 12);
    painter.fillRect(2, 3, 12, 3, TodayColor);
    painter.setPen(QColor(90, 90, 90));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3)
            painter.drawPoint(x, y);
    return QIcon(pixmap);
}

}  // namespace

QDate DateFromDays(double days)
{
    const std::optional<store::TDateParts> date = store::DecodeDate(days);
    return date ? QDate(date->Year, date->Month, date->Day) : QDate();
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
    FAlertForm = new popup::TSlidePopUp(FPlatform, this);
    FAlerts = new TAlertBook(*this);
    FAlarm = new TAlarmTimer(FClock, this);
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
}

TAppCore::~TAppCore()
{
    UnregisterHotKey();
    // The book uses the popup when it goes, so it goes first.
    delete FAlerts;
    // The notes file is written by the windows that change notes, never here.
    if (desktop::GUITools)
        desktop::GUITools->CopyLogToClipboard();
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
        }
    }
}

void TAppCore::WriteNotes()
{
    TFileDigest digest;
    FDayPapers->SaveToFile(NotesFile().toStdString(),
                           [&digest](std::string_view bytes) { digest.Add(bytes); });
    WrittenDigest = digest.Value();
}

void TAppCore::Start()
{
    AddTrayIcon();
    FAlerts->Start();
    if (!FNoteWatch)
        FNoteWatch = new TNoteFileWatch(*this);
    FAlarm->Start();
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

void TAppCore::AddTrayIcon()
{
    if (Tray || !FPlatform.CanShowTrayIcon())
        return;
    Tray = new QSystemTrayIcon(TrayPicture(), this);
    Tray->setToolTip(QString::fromLatin1(ProgramTitle));
    connect(Tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                case QSystemTrayIcon::Context:
                    emit MenuRequested(QCursor::pos());
                    break;
                case QSystemTrayIcon::DoubleClick:
                    emit TodayNoteRequested();
                    break;
                default:
                    break;
                }
            });
    Tray->show();
}

bool TAppCore::RegisterHotKey()
{
    if (HotKeyHeld)
        return true;
    HotKeyHeld =
        FPlatform.CanRegisterHotKey() && FPlatform.RegisterHotKey(FPlatform.DefaultHotKey());
    if (HotKeyHeld && desktop::GUITools)
        desktop::GUITools->AddLog(QStringLiteral("hotkey is registered"));
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
    if (Tray)
        Tray->hide();
}

bool TAppCore::SaveNotes()
{
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

bool TAppCore::SaveAlertState()
{
    try {
        store::SaveAlertState(AlertStateFile().toStdString(), FAlerts->State());
    } catch (const std::exception& error) {
        const QString failure = QString::fromStdString(error.what());
        if (failure == LastAlertStateFailure)
            qCWarning(lcApp).noquote() << failure;
        else
            ReportError(failure);
        LastAlertStateFailure = failure;
        return false;
    }
    LastAlertStateFailure.clear();
    return true;
}

void TAppCore::TakeUpNotesFile(std::string_view bytes)
{
    const QString file = NotesFile();
    const std::string failure = FDayPapers->ReloadFromBytes(bytes, file.toStdString());
    if (failure.empty()) {
        WrittenDigest = FileDigest(bytes);
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
