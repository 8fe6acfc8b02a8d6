// The "&Setting..." command of a calendar on the offscreen platform: the dialog is opened from
// the menu, driven while it is modal, and the calendar, the record, "Setting.cfg" and the fake
// desktop are read back after it closed.

#include "app/windowmanager.h"
#include "settings/settingfrm.h"
#include "store/alertstate.h"
#include "tests/support/calendarrig.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

using namespace orvenna;
using settings::TSettingForm;
using app::TCalendarForm;
using test::TCalendarRig;

namespace {

const QColor Key(255, 0, 255);
const QColor Bar(0, 120, 0);

// A title picture: a bar on the key colour, whose pixels the window's shape leaves out.
QString SaveTitlePicture(const QString& folder)
{
    QImage picture(296, 32, QImage::Format_RGB32);
    picture.fill(Key);
    for (int y = 4; y < 28; ++y)
        for (int x = 8; x < 288; ++x)
            picture.setPixelColor(x, y, Bar);
    const QString path = folder + QStringLiteral("title.bmp");
    picture.save(path, "BMP");
    return path;
}

QAction* SettingAction(TCalendarForm& form)
{
    for (QAction* action : form.PopupMenu().actions())
        if (action->text() == QStringLiteral("&Setting..."))
            return action;
    return nullptr;
}

// Chooses "&Setting..." and, once its dialog is up, hands the dialog to inDialog, which must
// close it. Returns how many dialogs were driven (0 when none came up within the deadline).
int RunSetting(TCalendarForm& form, const std::function<void(TSettingForm&)>& inDialog)
{
    int driven = 0;
    QDeadlineTimer deadline(5000);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<TSettingForm*>(QApplication::activeModalWidget())) {
            poll.stop();
            ++driven;
            inDialog(*dialog);
        } else if (deadline.hasExpired()) {
            poll.stop();
        }
    });
    poll.start(10);
    QAction* action = SettingAction(form);
    if (action && action->isEnabled())
        action->trigger();
    return driven;
}

// Pixels of exactly this colour in the title box of the calendar.
int TitlePixels(TCalendarForm& form, const QColor& colour)
{
    const QImage title =
        form.grab(QRect(0, 0, 296, 32)).toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < title.height(); ++y)
        for (int x = 0; x < title.width(); ++x)
            count += title.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

}  // namespace

class TSettingsOpenerTest final : public QObject {
    Q_OBJECT

private slots:
    void closingTheDialog_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QString>("error");  // the start of the one message shown, if any
        QTest::newRow("cancelled") << "cancel" << false << "";
        QTest::newRow("confirmed") << "ok" << true << "";
        QTest::newRow("start-up entry fails")
            << "autorun fails" << true
            << "Failed to set data for '/home/u/.config/autostart/orvenna.desktop'";
        QTest::newRow("Setting.cfg cannot be written")
            << "save fails" << true << "Cannot create file";
    }

    void closingTheDialog()
    {
        QFETCH(QString, ending);
        QFETCH(bool, applied);
        QFETCH(QString, error);
        TCalendarRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        const QString settingFile = QString::fromStdString(rig.File("Setting.cfg"));
        QFile::remove(settingFile);
        if (ending == "autorun fails")
            rig.Platform.AutoRunFailure = error;
        if (ending == "save fails")
            QVERIFY(QDir().mkpath(settingFile + QStringLiteral("/inside")));
        const QString picture = SaveTitlePicture(rig.Folder);
        const QRegion shapeBefore = form.WindowShape();
        const std::size_t presenceRequests = rig.Platform.TaskBarRequests.size();
        QCOMPARE(TitlePixels(form, Qt::red), 0);
        QSignalSpy changed(rig.Core.get(), &app::TAppCore::SettingsChanged);

        const int driven = RunSetting(form, [&](TSettingForm& dialog) {
            dialog.chkStayOnDesk->click();
            dialog.chkInTheTray->click();
            dialog.SpeedButton2->click();
            const int red = dialog.cboColor->findText(QStringLiteral("clRed"));
            dialog.cboColor->setCurrentIndex(red);
            emit dialog.cboColor->activated(red);
            dialog.edtPic->setText(picture);
            dialog.chkStayUntilDismissed->click();
            dialog.cboSnooze->setCurrentIndex(dialog.cboSnooze->findData(15));
            (ending == "cancel" ? dialog.Button2 : dialog.Button1)->click();
        });
        QCOMPARE(driven, 1);

        const store::TCalSetting& settings = rig.Core->Settings();
        QCOMPARE(settings.IsDeskChild, applied);
        QCOMPARE(store::HasStyle(settings.TitleFont.Style, store::fsBold), applied);
        QCOMPARE(changed.count(), applied ? 1 : 0);
        QCOMPARE(rig.Platform.AutoRunCalls, applied ? 1 : 0);
        QCOMPARE(rig.Platform.AutoRun, ending == "ok" || ending == "save fails");
        // The tray-only choice applies at once, like the rest.
        QCOMPARE(rig.Platform.TaskBarRequests.size(), presenceRequests + (applied ? 1 : 0));
        if (applied)
            QVERIFY(rig.Platform.TaskBarRequests.back() == std::make_pair<QWidget*>(&form, false));
        QCOMPARE(QFileInfo(settingFile).isFile(), ending == "ok" || ending == "autorun fails");
        if (QFileInfo(settingFile).isFile()) {
            store::TCalSetting saved;
            saved.LoadFromFile(settingFile.toStdString());
            QVERIFY(saved == settings);
        }
        // The alert choices of the "Alerts" page go to their side file with the rest.
        store::TAlertState alerts;
        QCOMPARE(store::LoadAlertState(rig.File(app::AlertStateFileName), alerts), std::string());
        QCOMPARE(alerts.StayUntilDismissed, applied);
        QCOMPARE(alerts.SnoozeMinutes, applied ? 15 : store::DefaultSnoozeMinutes);

        // The calendar shows the bold red title on the picture, and its shape leaves out the
        // picture's key colour, at once.
        QCOMPARE(TitlePixels(form, Qt::red) > 0, applied);
        QCOMPARE(TitlePixels(form, Bar) > 0, applied);
        QCOMPARE(form.WindowShape().contains(QPoint(2, 2)), !applied);
        QCOMPARE(form.WindowShape() == shapeBefore, !applied);

        if (error.isEmpty()) {
            QVERIFY2(rig.Errors.isEmpty(), qPrintable(rig.Errors.join('\n')));
        } else {
            QCOMPARE(rig.Errors.size(), 1);
            QVERIFY2(rig.Errors.front().startsWith(error), qPrintable(rig.Errors.front()));
        }
    }

    void aNewDialogForEveryUse()
    {
        TCalendarRig rig;
        TCalendarForm& form = rig.Create();
        form.Start();
        QCOMPARE(RunSetting(form, [&](TSettingForm& dialog) {
                     dialog.chkCanmove->click();
                     dialog.lbSubFontClick();
                     dialog.Button2->click();
                 }),
                 1);
        QCOMPARE(form.findChildren<TSettingForm*>().size(), 0);  // gone with its use
        bool fresh = false;
        QCOMPARE(RunSetting(form, [&](TSettingForm& dialog) {
                     fresh = !dialog.chkCanmove->isChecked() &&
                             dialog.cboElement->currentIndex() == 0;
                     QTest::keyClick(&dialog, Qt::Key_Escape);
                 }),
                 1);
        QVERIFY(fresh);
        QVERIFY(!rig.Core->Settings().CanMoved);
    }
};

QTEST_MAIN(TSettingsOpenerTest)
#include "test_settingsopener.moc"
