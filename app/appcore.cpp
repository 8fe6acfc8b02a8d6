#include "app/appcore.h"

#include "app/alertbook.h"
#include "app/localeformat.h"
#include "app/daygrid.h"
#include "app/startup.h"
#include "desktop/fontconvert.h"
#include "desktop/guitool.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "popup/slidepopup.h"
#include "store/datetime.h"

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
constexpr int ReminderIntervalMs = 1000;

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
    FTimer1 = new QTimer(this);
    FTimer1->setInterval(ReminderIntervalMs);
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
    const std::string notesFile = NotesFile().toStdString();
    try {
        FDayPapers->LoadFromFile(notesFile);
    } catch (const store::EFileError& openError) {
        // Only a missing file is replaced by an empty one: one that exists but cannot be
        // opened still holds the user's notes.
        if (QFileInfo::exists(NotesFile())) {
            qCWarning(lcApp) << openError.what();
            return;
        }
        try {
            FDayPapers->SaveToFile(notesFile);
        } catch (const store::EStoreError& error) {
            qCWarning(lcApp) << error.what();
        }
    }
}

void TAppCore::Start()
{
    AddTrayIcon();
    FAlerts->Start();
    FTimer1->start();
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
    FTimer1->stop();
    if (Tray)
        Tray->hide();
}

bool TAppCore::SaveNotes()
{
    try {
        FDayPapers->SaveToFile(NotesFile().toStdString());
    } catch (const store::EStoreError& error) {
        ReportError(QString::fromStdString(error.what()));
        return false;
    }
    emit NotesChanged();
    return true;
}

void TAppCore::NotesWereChanged()
{
    emit NotesChanged();
}

bool TAppCore::SaveSettings()
{
    try {
        FSettings->SaveToFile(SettingsFile().toStdString());
    } catch (const store::EStoreError& error) {
        qCWarning(lcApp) << error.what();
        return false;
    }
    return true;
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
