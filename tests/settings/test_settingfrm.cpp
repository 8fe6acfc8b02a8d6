// The settings dialog driven as a user drives it: controls clicked and typed into, file dialogs
// answered by the test, the record read back afterwards. Saving it is the core's (the opener's
// tests read the files back).

#include "settings/settingfrm.h"
#include "settings/syncpage.h"

#include "desktop/fontconvert.h"
#include "desktop/guiservices.h"
#include "platform/fake/fakeplatform.h"
#include "store/identmaps.h"
#include "store/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <deque>
#include <memory>

using namespace orvenna;
using settings::TSettingForm;
using store::StyleBit;

namespace {

const QColor PictureColor(10, 200, 30);

// A dialog over a record in a temporary program folder, with file dialogs and error boxes
// answered by the test.
struct TRig {
    QTemporaryDir ProgramDir;
    platform::TFakePlatform Platform;
    store::TCalSetting Record;
    desktop::TGUIAnswers Answers;
    QStringList& Errors = Answers.Messages;
    std::deque<std::optional<QString>>& FileAnswers = Answers.Files;  // next file dialog answers
    QList<desktop::TFileDialogRequest>& FileRequests = Answers.FileRequests;
    std::unique_ptr<TSettingForm> Form = std::make_unique<TSettingForm>(Platform);

    QString SettingFile() const { return ProgramDir.path() + QStringLiteral("/Setting.cfg"); }
    TSettingForm& Open()
    {
        Form->CalSetting = &Record;
        Form->show();
        return *Form;
    }
    QString Picture(const QSize& size = {40, 20}) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(PictureColor);
        const QString file = ProgramDir.path() + QStringLiteral("/title.bmp");
        image.save(file);
        return file;
    }
};

void Choose(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void ChooseColor(TSettingForm& form, store::TColor color)
{
    const int index = form.cboColor->findData(QVariant::fromValue(static_cast<qint32>(color)));
    QVERIFY(index >= 0);
    Choose(form.cboColor, index);
}

// The text pasted over the size box's text; an empty text is the box cleared with Backspace.
void TypeSize(TSettingForm& form, const QString& text)
{
    QLineEdit* edit = form.cboSize->lineEdit();
    edit->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
    } else {
        edit->setText(text);
        emit edit->textEdited(text);
    }
}

// A family of the font list other than the ones given.
QString OtherFamily(const QComboBox& list, const QStringList& besides)
{
    for (int i = 0; i < list.count(); ++i)
        if (!besides.contains(list.itemText(i), Qt::CaseInsensitive))
            return list.itemText(i);
    return {};
}

void ClickOn(QWidget* widget, QPoint at = {5, 5})
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

QImage Grab(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The left-most column of the image with ink, a pixel other than the background, within the
// rows; -1: none.
int LeftMostInk(const QImage& image, const QColor& background, int top, int bottom)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = top; y <= bottom && y < image.height(); ++y)
            if (image.pixelColor(x, y) != background)
                return x;
    return -1;
}

}  // namespace

class TSettingFormTest final : public QObject {
    Q_OBJECT

private slots:
    void captionsListsAndModalResults()
    {
        TRig rig;
        TSettingForm& form = rig.Open();
        QCOMPARE(form.windowTitle(), QStringLiteral("Calendar Setting"));
        QCOMPARE(form.ColorPage->currentIndex(), 0);
        QCOMPARE(form.ColorPage->tabText(0), QStringLiteral("&General"));
        QCOMPARE(form.ColorPage->tabText(1), QStringLiteral("&Appearance"));
        QCOMPARE(form.cboSize->count(), 21);
        QCOMPARE(form.cboSize->itemText(20), QStringLiteral("20"));
        QCOMPARE(form.cboElement->currentText(), QStringLiteral("TitleBar"));
        QVERIFY(form.cboFont->count() > 0);
        for (int i = 0; i < form.cboFont->count(); ++i)
            QVERIFY(QFontDatabase::isScalable(form.cboFont->itemText(i)));

        // Twenty named colours, then the system colours the platform names, with swatches.
        const QStringList expected{
            "clBlack", "clMaroon",     "clGreen",    "clOlive",  "clNavy",    "clPurple",
            "clTeal",  "clGray",       "clSilver",   "clRed",    "clLime",    "clYellow",
            "clBlue",  "clFuchsia",    "clAqua",     "clWhite",  "clMoneyGreen", "clSkyBlue",
            "clCream", "clMedGray",    "clBtnFace",  "clWindow", "clWindowText"};
        QStringList names;
        for (int i = 0; i < form.cboColor->count(); ++i)
            names << form.cboColor->itemText(i);
        QCOMPARE(names, expected);
        const QImage red = form.cboColor->itemIcon(9).pixmap(16, 12).toImage();
        QCOMPARE(red.pixelColor(8, 6), QColor(Qt::red));

        form.Button1->click();
        QCOMPARE(form.result(), settings::mrOk);
        TRig second;
        QTimer::singleShot(0, second.Form.get(),
                           [&] { QTest::keyClick(second.Form.get(), Qt::Key_Escape); });
        second.Form->CalSetting = &second.Record;
        QCOMPARE(second.Form->exec(), settings::mrCancel);
    }

    void cancelTouchesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("window closed") << 2;
    }

    void cancelTouchesNothing()
    {
        QFETCH(int, how);
        TRig rig;
        rig.Record.TitleFont.Name = "DejaVu Sans";
        rig.Record.SaveToFile(rig.SettingFile().toStdString());
        const std::string before = rig.Record.SaveToBytes();
        TSettingForm& form = rig.Open();

        form.chkStayOnDesk->click();
        form.chkInTheTray->click();
        form.edtSoundFile->setText(QStringLiteral("/tmp/ding.wav"));
        form.SpeedButton2->click();
        ChooseColor(form, store::clRed);
        TypeSize(form, QStringLiteral("17"));
        form.lbSubFontClick();
        form.SpeedButton3->click();
        QTest::keyClicks(form.edtPic, rig.Picture());

        if (how == 0)
            form.Button2->click();
        else if (how == 1)
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            form.close();
        QCOMPARE(form.result(), settings::mrCancel);
        QCOMPARE(rig.Record.SaveToBytes(), before);
        QFile file(rig.SettingFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), before);
        QVERIFY(rig.Errors.isEmpty());
    }

    void opensOnTheRecordsTitleBackground_data()
    {
        QTest::addColumn<bool>("withPicture");
        QTest::newRow("title picture") << true;
        QTest::newRow("transparent") << false;
    }

    void opensOnTheRecordsTitleBackground()
    {
        QFETCH(bool, withPicture);
        TRig rig;
        if (withPicture)
            rig.Record.TitlePic = rig.Picture().toStdString();
        TSettingForm& form = rig.Open();
        form.ColorPage->setCurrentIndex(1);
        QCOMPARE(form.rbPicture->isChecked(), withPicture);
        QCOMPARE(form.rbTransparent->isChecked(), !withPicture);
        QCOMPARE(form.edtPic->text().toStdString(), rig.Record.TitlePic);

        // The picture at the top-left of the title row, unscaled; else the panel's colour.
        const QImage row = Grab(form.PaintBox1);
        const QColor panel = form.Panel4->palette().color(QPalette::Window);
        QCOMPARE(row.pixelColor(0, 0), withPicture ? PictureColor : panel);
        QCOMPARE(row.pixelColor(15, 19), withPicture ? PictureColor : panel);
        QCOMPARE(row.pixelColor(45, 22), panel);
    }

    void titleBackgroundControls()
    {
        TRig rig;
        rig.Record.TitlePic = rig.Picture().toStdString();
        TSettingForm& form = rig.Open();

        form.rbTransparent->click();
        QVERIFY(form.edtPic->text().isEmpty());
        QVERIFY(form.rbTransparent->isChecked());

        QTest::keyClicks(form.edtPic, QStringLiteral("x"));
        QVERIFY(form.rbPicture->isChecked());

        // A picture that cannot be loaded shows none and no message.
        const QImage row = Grab(form.PaintBox1);
        QCOMPARE(row.pixelColor(0, 0), form.Panel4->palette().color(QPalette::Window));
        QVERIFY(rig.Errors.isEmpty());

        form.Button1->click();
        QCOMPARE(rig.Record.TitlePic, std::string("x"));
    }

    void fileDialogs_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("sound, chosen") << false << true;
        QTest::newRow("sound, cancelled") << false << false;
        QTest::newRow("picture, chosen") << true << true;
        QTest::newRow("picture, cancelled") << true << false;
    }

    void fileDialogs()
    {
        QFETCH(bool, picture);
        QFETCH(bool, confirmed);
        TRig rig;
        const QString chosen = picture ? rig.Picture() : QStringLiteral("/sounds/new.wav");
        rig.Record.SoundFile = "/sounds/old.wav";
        rig.Record.TitlePic = "/pictures/old.bmp";
        TSettingForm& form = rig.Open();
        QLineEdit* edit = picture ? form.edtPic : form.edtSoundFile;
        const QString before = edit->text();

        rig.FileAnswers.push_back(confirmed ? std::optional<QString>(chosen) : std::nullopt);
        (picture ? form.SpeedButton6 : form.SpeedButton1)->click();

        QCOMPARE(rig.FileRequests.size(), 1);
        const desktop::TFileDialogRequest& request = rig.FileRequests.front();
        QCOMPARE(request.Filter, picture ? QStringLiteral("Bitmaps (*.bmp)|*.bmp")
                                         : QStringLiteral("Sound Files|*.wav"));
        QCOMPARE(request.PicturePreview, picture);
        QCOMPARE(request.StartFile, before);
        QCOMPARE(edit->text(), confirmed ? chosen : before);
        if (picture && confirmed)
            QCOMPARE(Grab(form.PaintBox1).pixelColor(1, 1), PictureColor);
    }

    void clickingAPreviewSelectsItsElement_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("element");
        QTest::newRow("date preview") << "PaintBox2" << 1;
        QTest::newRow("title preview") << "PaintBox1" << 0;
        QTest::newRow("title label") << "lbTitle" << 0;
    }

    void clickingAPreviewSelectsItsElement()
    {
        QFETCH(QString, target);
        QFETCH(int, element);
        TRig rig;
        const QString titleFace = rig.Open().cboFont->itemText(0);
        rig.Form->hide();
        const QString dateFace = OtherFamily(*rig.Form->cboFont, {titleFace});
        rig.Record.TitleFont.Name = titleFace.toStdString();
        rig.Record.TitleFont.SetSize(12);
        rig.Record.TitleFont.Color = store::clNavy;
        rig.Record.SubFont.Name = dateFace.toStdString();
        rig.Record.SubFont.SetSize(15);
        rig.Record.SubFont.Style = StyleBit(store::fsBold) | StyleBit(store::fsItalic);
        rig.Record.SubFont.Color = store::clTeal;
        TSettingForm& form = rig.Open();
        form.ColorPage->setCurrentIndex(1);
        // Start on the other element so that the click has something to change.
        if (element == 0)
            form.lbSubFontClick();

        QWidget* widget = target == "PaintBox1" ? form.PaintBox1
                        : target == "PaintBox2" ? form.PaintBox2
                                                : static_cast<QWidget*>(form.lbTitle);
        ClickOn(widget, {1, 1});

        const store::TFont& font = element == 0 ? rig.Record.TitleFont : rig.Record.SubFont;
        QCOMPARE(form.cboElement->currentIndex(), element);
        QCOMPARE(form.ElementLabel, element == 0 ? form.lbTitle : form.lbSubFont);
        QCOMPARE(form.cboFont->currentText().toStdString(), font.Name);
        QCOMPARE(form.cboSize->currentText(), QString::number(font.Size()));
        QCOMPARE(form.SpeedButton2->isChecked(), store::HasStyle(font.Style, store::fsBold));
        QCOMPARE(form.SpeedButton3->isChecked(), store::HasStyle(font.Style, store::fsItalic));
        QCOMPARE(form.cboColor->currentData().toInt(), font.Color);
    }

    void sizeBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("size");  // -1: refused with the conversion message
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("twelve") << "12" << 12;
        QTest::newRow("blanks, sign") << " +9 " << 9;
        QTest::newRow("cleared") << "" << -1;
        QTest::newRow("letters") << "1a" << -1;
        QTest::newRow("fraction") << "10.5" << -1;
        QTest::newRow("past 32 bits") << "99999999999" << -1;
    }

    void sizeBox()
    {
        QFETCH(QString, typed);
        QFETCH(int, size);
        TRig rig;
        rig.Record.TitleFont.SetSize(14);
        TSettingForm& form = rig.Open();
        TypeSize(form, typed);
        if (size < 0) {
            const QString message = QStringLiteral("'%1' is not a valid integer value").arg(typed);
            QCOMPARE(rig.Errors, QStringList{message});
            QCOMPARE(form.TitleFontCopy().Size(), 14);
        } else {
            QVERIFY(rig.Errors.isEmpty());
            QCOMPARE(form.TitleFontCopy().Size(), size);
            if (size == 0)
                QCOMPARE(form.TitleFontCopy().Height, 0);
        }
        form.Button1->click();
        QCOMPARE(rig.Record.TitleFont.Size(), size < 0 ? 14 : size);
    }

    void faceNotInTheListIsKept()
    {
        TRig rig;
        rig.Record.TitleFont.Name = "No Such Face 4711";
        TSettingForm& form = rig.Open();
        QCOMPARE(form.cboFont->currentIndex(), -1);
        QCOMPARE(form.cboFont->placeholderText(), QStringLiteral("No Such Face 4711"));

        form.SpeedButton2->click();
        form.Button1->click();
        QCOMPARE(rig.Record.TitleFont.Name, std::string("No Such Face 4711"));
        QVERIFY(store::HasStyle(rig.Record.TitleFont.Style, store::fsBold));

        TRig again;
        again.Record.TitleFont.Name = "No Such Face 4711";
        TSettingForm& second = again.Open();
        Choose(second.cboFont, 0);
        second.Button1->click();
        QCOMPARE(QString::fromStdString(again.Record.TitleFont.Name), second.cboFont->itemText(0));
    }

    void okCarriesEverything_data()
    {
        QTest::addColumn<int>("selectedAtOk");
        QTest::newRow("TitleBar selected") << 0;
        QTest::newRow("Date selected") << 1;
    }

    void okCarriesEverything()
    {
        QFETCH(int, selectedAtOk);
        TRig rig;
        rig.Record.Top = 40;
        rig.Record.Left = -5;
        rig.Record.TitleBK = store::clAqua;
        TSettingForm& form = rig.Open();
        const QString titleFace = form.cboFont->itemText(0);
        const QString dateFace = OtherFamily(*form.cboFont, {titleFace});

        form.chkStayOnDesk->click();
        form.chkCanmove->click();
        form.chkInTheTray->click();
        form.edtSoundFile->setText(QStringLiteral("/sounds/ding.wav"));
        const QString picture = rig.Picture();
        form.edtPic->setText(picture);

        Choose(form.cboFont, 0);
        TypeSize(form, QStringLiteral("16"));
        form.SpeedButton2->click();
        ChooseColor(form, store::clRed);

        Choose(form.cboElement, 1);
        Choose(form.cboFont, form.cboFont->findText(dateFace));
        TypeSize(form, QStringLiteral("7"));
        form.SpeedButton3->click();
        ChooseColor(form, store::clWindowText);
        ChooseColor(form, store::clBtnFace);

        Choose(form.cboElement, selectedAtOk);
        form.Button1->click();
        QCOMPARE(form.result(), settings::mrOk);

        const store::TCalSetting& r = rig.Record;
        QVERIFY(r.IsDeskChild && r.CanMoved && r.HideInTheTray);
        QCOMPARE(r.SoundFile, std::string("/sounds/ding.wav"));
        QCOMPARE(QString::fromStdString(r.TitlePic), picture);
        QCOMPARE(QString::fromStdString(r.TitleFont.Name), titleFace);
        QCOMPARE(r.TitleFont.Size(), 16);
        QCOMPARE(r.TitleFont.Style, StyleBit(store::fsBold));
        QCOMPARE(r.TitleFont.Color, store::clRed);
        QCOMPARE(QString::fromStdString(r.SubFont.Name), dateFace);
        QCOMPARE(r.SubFont.Size(), 7);
        QCOMPARE(r.SubFont.Style, StyleBit(store::fsItalic));
        QCOMPARE(r.SubFont.Color, store::clBtnFace);
        // What the dialog does not edit stays.
        QCOMPARE(r.Top, 40);
        QCOMPARE(r.Left, -5);
        QCOMPARE(r.TitleBK, store::clAqua);
    }

    void alertsPageKeepsItsChoices_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void alertsPageKeepsItsChoices()
    {
        QFETCH(bool, confirm);
        TRig rig;
        store::TAlertState alerts;
        alerts.SnoozeMinutes = 15;
        alerts.LastCheck = 46000.25;
        alerts.Snoozes.push_back({46000.5, {46000.3, 46000, 46000.3, 0, 0, "Bus"}});
        rig.Form->AlertState = &alerts;
        TSettingForm& form = rig.Open();
        QCOMPARE(form.ColorPage->tabText(2), QStringLiteral("A&lerts"));
        QVERIFY(!form.chkStayUntilDismissed->isChecked());
        QCOMPARE(form.cboSnooze->currentText(), QStringLiteral("15 minutes"));
        QCOMPARE(form.cboSnooze->count(), 6);

        form.chkStayUntilDismissed->click();
        Choose(form.cboSnooze, form.cboSnooze->findText(QStringLiteral("1 minute")));
        (confirm ? form.Button1 : form.Button2)->click();

        store::TAlertState expected = alerts;
        expected.StayUntilDismissed = confirm;
        expected.SnoozeMinutes = confirm ? 1 : 15;
        QCOMPARE(alerts, expected);
    }

    void calendarBoxEditsTheRegionalChoicesOnOkOnly_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void calendarBoxEditsTheRegionalChoicesOnOkOnly()
    {
        QFETCH(bool, confirm);
        TRig rig;
        store::TRegionalChoices choices{store::TWeekStart::Locale, store::TTimeFormat::AmPm, false};
        rig.Form->Regional = &choices;
        TSettingForm& form = rig.Open();
        QCOMPARE(form.ColorPage->currentIndex(), 0);
        QVERIFY(form.grpCalendar->isVisible());
        QCOMPARE(form.cboFirstDay->currentText(), QStringLiteral("As the locale says"));
        QCOMPARE(form.cboTimeFormat->currentText(), QStringLiteral("hh:mm AM/PM"));
        QVERIFY(!form.chkWeekNumbers->isChecked());

        Choose(form.cboFirstDay, form.cboFirstDay->findText(QStringLiteral("Monday")));
        Choose(form.cboTimeFormat, form.cboTimeFormat->findText(QStringLiteral("24-hour")));
        form.chkWeekNumbers->click();
        (confirm ? form.Button1 : form.Button2)->click();
        const store::TRegionalChoices expected =
            confirm ? store::TRegionalChoices{store::TWeekStart::Monday, store::TTimeFormat::TwentyFour, true}
                    : store::TRegionalChoices{store::TWeekStart::Locale, store::TTimeFormat::AmPm, false};
        QCOMPARE(choices, expected);
        // The dialog writes no side file of its own for them.
        QVERIFY(!QFile::exists(rig.ProgramDir.path() + QStringLiteral("/Regional.dat")));
    }

    void okWritesRecordAndAlertChoices()
    {
        TRig rig;
        store::TAlertState alerts;
        rig.Form->AlertState = &alerts;
        TSettingForm& form = rig.Open();
        form.chkCanmove->click();
        form.chkStayUntilDismissed->click();
        form.Button1->click();
        QCOMPARE(form.result(), settings::mrOk);
        QVERIFY(rig.Record.CanMoved);
        QVERIFY(alerts.StayUntilDismissed);
        QVERIFY(rig.Errors.isEmpty());
    }

    // The colour box shows every colour name whole beside its swatch, in the dialog's face on
    // this machine, and overlaps no other control of its page.
    void colourBoxHoldsEveryName()
    {
        TRig rig;
        TSettingForm& form = rig.Open();
        form.ColorPage->setCurrentIndex(1);
        QComboBox& box = *form.cboColor;
        QStyleOptionComboBox option;
        option.initFrom(&box);
        option.editable = false;
        const int field = box.style()
                              ->subControlRect(QStyle::CC_ComboBox, &option,
                                               QStyle::SC_ComboBoxEditField, &box)
                              .width();
        for (const store::TIdentEntry& colour : store::ColorIdents) {
            const QString name = QString::fromLatin1(colour.Name.data(), colour.Name.size());
            // The label draws the swatch, four pixels, then the text.
            const int needed = box.iconSize().width() + 4 + box.fontMetrics().horizontalAdvance(name);
            QVERIFY2(needed <= field, qPrintable(QStringLiteral("%1 needs %2 of %3 pixels")
                                                     .arg(name).arg(needed).arg(field)));
        }
        QWidget* page = box.parentWidget();
        QVERIFY(page->rect().contains(box.geometry()));
        for (QWidget* other : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != &box && other->isVisible())
                QVERIFY2(!other->geometry().intersects(box.geometry()),
                         qPrintable(other->metaObject()->className()));
    }

    // The Sync page in the dialog's fixed size: however many errors and however long, the
    // first show on lines of their own, the others are counted, all are whole in the tool
    // tip, and nothing is cut off below.
    void syncErrorsFitThePage_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("one short") << 1 << 20 << 1;
        QTest::newRow("two long") << 2 << 300 << 2;
        QTest::newRow("five long") << 5 << 300 << 1;
    }

    void syncErrorsFitThePage()
    {
        QFETCH(int, count);
        QFETCH(int, length);
        QFETCH(int, shown);
        TRig rig;
        TSettingForm& form = rig.Open();
        form.ColorPage->setCurrentWidget(form.SyncPage);
        settings::TSyncPage& page = *form.SyncPage;
        QStringList errors;
        for (int i = 0; i < count; ++i)
            errors << QStringLiteral("%1 %2 end").arg(i).arg(QString(length, QLatin1Char('x')));
        page.ShowState(QStringLiteral("http://server/u/cal/"), QStringLiteral("Synced"), errors,
                       false);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QLabel& label = *page.lbErrors;
        const QStringList lines = label.text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), shown == count ? count : shown + 1);
        QTRY_VERIFY(label.height() >= lines.size() * label.fontMetrics().lineSpacing());
        QVERIFY(label.geometry().bottom() < page.btnSyncNow->geometry().top());
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(label.fontMetrics().horizontalAdvance(lines[i]) <= label.width(),
                     qPrintable(lines[i]));
        for (int i = 0; i < shown; ++i)
            QVERIFY(lines[i].startsWith(QString::number(i)) && lines[i].endsWith(QStringLiteral(" end")));
        if (shown < count)
            QVERIFY(lines.last().contains(QString::number(count - shown)));
        QCOMPARE(label.toolTip(), errors.join(QLatin1Char('\n')));
    }

    void previewPositions()
    {
        TRig rig;
        rig.Record.TitleFont.Color = store::clRed;
        rig.Record.TitleFont.Style = StyleBit(store::fsBold);
        rig.Record.SubFont.Color = store::clBlue;
        TSettingForm& form = rig.Open();
        form.ColorPage->setCurrentIndex(1);
        QCOMPARE(form.Panel4->width() / 8, 36);

        // "Su" starts at x = 20 on the title row; "1" at 60 on the first date row, "7" at 24
        // on the second.
        const QColor panel = form.Panel4->palette().color(QPalette::Window);
        const QImage row = Grab(form.PaintBox1);
        const int su = LeftMostInk(row, panel, 0, 24);
        QVERIFY2(su >= 20 && su <= 23, qPrintable(QString::number(su)));
        bool red = false;  // the bold title font in its colour
        for (int x = su; x < su + 16 && !red; ++x)
            for (int y = 0; y < 25 && !red; ++y)
                red = row.pixelColor(x, y) == Qt::red;
        QVERIFY(red);
        const QImage dates = Grab(form.PaintBox2);
        QCOMPARE(LeftMostInk(dates, panel, 0, 4), -1);
        const int one = LeftMostInk(dates, panel, 5, 20);
        QVERIFY2(one >= 60 && one <= 66, qPrintable(QString::number(one)));
        const int seven = LeftMostInk(dates, panel, 25, 40);
        QVERIFY2(seven >= 24 && seven <= 30, qPrintable(QString::number(seven)));
    }
};

QTEST_MAIN(TSettingFormTest)
#include "test_settingfrm.moc"
