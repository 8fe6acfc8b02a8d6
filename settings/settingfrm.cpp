#include "settings/settingfrm.h"

#include "settings/syncpage.h"

#include "desktop/fontconvert.h"
#include "desktop/guiservices.h"
#include "desktop/guitool.h"
#include "desktop/paintbox.h"
#include "desktop/storetexts.h"
#include "platform/platform.h"
#include "store/errors.h"
#include "store/identmaps.h"
#include "store/localetext.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <exception>

namespace orvenna::settings {
namespace {

using desktop::TGUITools;
using desktop::TPaintBox;
using desktop::ToQColor;
using desktop::ToQFont;

using store::TColor;

constexpr int ClientWidth = 405;
constexpr int ClientHeight = 411;
constexpr int ButtonPanelHeight = 34;

// The named colours the colour list offers before the system colours.
constexpr TColor NamedColors[] = {
    store::clBlack,   store::clMaroon, store::clGreen,      store::clOlive,
    store::clNavy,    store::clPurple, store::clTeal,       store::clGray,
    store::clSilver,  store::clRed,    store::clLime,       store::clYellow,
    store::clBlue,    store::clFuchsia, store::clAqua,      store::clWhite,
    store::clMoneyGreen, store::clSkyBlue, store::clCream,  store::clMedGray,
};


// The installed families the font list offers: scalable ones only, as a user would see them
// in any font list.
QStringList ScalableFamilies()
{
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isScalable(family) && !QFontDatabase::isPrivateFamily(family))
            families << family;
    families.sort(Qt::CaseInsensitive);
    return families;
}

void SetStyle(store::TFont& font, store::TFontStyle style, bool on)
{
    if (on)
        font.Style |= store::StyleBit(style);
    else
        font.Style &= static_cast<store::TFontStyles>(~store::StyleBit(style));
}

}  // namespace

TSettingForm::TSettingForm(platform::TPlatform& platform, QWidget* parent)
    : QDialog(parent), Platform(platform)
{
    setObjectName(QStringLiteral("SettingForm"));
    setWindowTitle(tr("Calendar Setting"));
    setFont(desktop::DialogFont());
    setFixedSize(ClientWidth, ClientHeight);
    // A fixed frame: a title and a close button, nothing to minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    ColorPage = new QTabWidget(this);
    ColorPage->setObjectName(QStringLiteral("ColorPage"));
    ColorPage->setGeometry(8, 0, 393, 376);
    CreateGeneralPage();
    CreateAppearancePage();
    CreateAlertsPage();
    SyncPage = new TSyncPage;
    ColorPage->addTab(SyncPage, tr("&Sync"));
    CreateButtons();
    FillColorList();
    Connect();
    FormCreate();
}

TSettingForm::~TSettingForm() = default;

void TSettingForm::FormCreate()
{
    for (int size = 0; size <= 20; ++size)
        cboSize->addItem(QString::number(size));
    lbTitle->clear();
}

void TSettingForm::CreateButtons()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, ClientHeight - ButtonPanelHeight, ClientWidth, ButtonPanelHeight);
    Button1 = new QPushButton(tr("&OK"), Panel1);
    Button1->setGeometry(238, 4, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(tr("&Cancel"), Panel1);
    Button2->setGeometry(322, 4, 75, 25);
}

void TSettingForm::CreateGeneralPage()
{
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    ColorPage->addTab(TabSheet1, tr("&General"));

    Bevel1 = new QGroupBox(tr("Behavior"), TabSheet1);
    Bevel1->setGeometry(13, 3, 365, 149);
    auto check = [this](const char* caption, int y) {
        auto* box = new QCheckBox(tr(caption), TabSheet1);
        box->setGeometry(32, y, 220, 17);
        return box;
    };
    chkStayOnDesk = check(QT_TR_NOOP("Run at start up"), 24);
    chkCanmove = check(QT_TR_NOOP("Enable drag and move "), 48);
    chkInTheTray = check(QT_TR_NOOP("Just display it in the tray"), 73);
    Label1 = new QLabel(tr("Reminder Sound"), TabSheet1);
    Label1->setGeometry(32, 95, 200, 16);
    edtSoundFile = new QLineEdit(TabSheet1);
    edtSoundFile->setGeometry(32, 119, 233, 21);
    SpeedButton1 = new QToolButton(TabSheet1);
    SpeedButton1->setText(QStringLiteral("..."));
    SpeedButton1->setGeometry(272, 119, 23, 22);
    CreateCalendarBox();
}

void TSettingForm::CreateCalendarBox()
{
    grpCalendar = new QGroupBox(tr("Calendar"), TabSheet1);
    grpCalendar->setGeometry(13, 160, 365, 110);
    const auto row = [this](const QString& caption, int y) {
        auto* label = new QLabel(caption, TabSheet1);
        label->setGeometry(32, y + 3, 160, 16);
        auto* box = new QComboBox(TabSheet1);
        box->setGeometry(196, y, 170, 21);
        label->setBuddy(box);
        return box;
    };
    cboFirstDay = row(tr("&First day of the week"), 180);
    cboFirstDay->addItem(tr("Sunday"), int(store::TWeekStart::Sunday));
    cboFirstDay->addItem(tr("Monday"), int(store::TWeekStart::Monday));
    cboFirstDay->addItem(tr("As the locale says"), int(store::TWeekStart::Locale));
    cboTimeFormat = row(tr("&Time format"), 208);
    cboTimeFormat->addItem(tr("hh:mm AM/PM"), int(store::TTimeFormat::AmPm));
    cboTimeFormat->addItem(tr("24-hour"), int(store::TTimeFormat::TwentyFour));
    cboTimeFormat->addItem(tr("As the locale says"), int(store::TTimeFormat::Locale));
    chkWeekNumbers = new QCheckBox(tr("Show &week numbers"), TabSheet1);
    chkWeekNumbers->setGeometry(32, 240, 300, 17);
    LoadRegionalChoices(store::TRegionalChoices{});
}

void TSettingForm::LoadRegionalChoices(const store::TRegionalChoices& choices)
{
    cboFirstDay->setCurrentIndex(cboFirstDay->findData(int(choices.WeekStart)));
    cboTimeFormat->setCurrentIndex(cboTimeFormat->findData(int(choices.TimeFormat)));
    chkWeekNumbers->setChecked(choices.WeekNumbers);
}

store::TRegionalChoices TSettingForm::RegionalChoices() const
{
    return {static_cast<store::TWeekStart>(cboFirstDay->currentData().toInt()),
            static_cast<store::TTimeFormat>(cboTimeFormat->currentData().toInt()),
            chkWeekNumbers->isChecked()};
}

void TSettingForm::CreateAlertsPage()
{
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    ColorPage->addTab(TabSheet3, tr("A&lerts"));

    auto* frame = new QGroupBox(tr("Reminder alerts"), TabSheet3);
    frame->setGeometry(13, 3, 365, 149);
    chkStayUntilDismissed =
        new QCheckBox(tr("Keep alerts on screen until dismissed"), TabSheet3);
    chkStayUntilDismissed->setGeometry(32, 24, 330, 17);
    auto* label = new QLabel(tr("Snooze button puts an alert off for"), TabSheet3);
    label->setGeometry(32, 55, 330, 16);
    cboSnooze = new QComboBox(TabSheet3);
    cboSnooze->setGeometry(32, 77, 140, 21);
    for (const int minutes : store::SnoozeLengths)
        cboSnooze->addItem(desktop::SnoozeLengthCaption(minutes), minutes);
    label->setBuddy(cboSnooze);
    auto* hint = new QLabel(tr("The arrow beside it offers the other lengths, and "
                                           "\"Until it starts\" for a reminder with a lead time."),
                            TabSheet3);
    hint->setWordWrap(true);
    hint->setGeometry(32, 105, 330, 40);
    LoadAlertChoices(store::TAlertState{});
}

void TSettingForm::LoadAlertChoices(const store::TAlertState& state)
{
    chkStayUntilDismissed->setChecked(state.StayUntilDismissed);
    const int index = cboSnooze->findData(state.SnoozeMinutes);
    cboSnooze->setCurrentIndex(index >= 0 ? index : cboSnooze->findData(store::DefaultSnoozeMinutes));
}

void TSettingForm::StoreAlertChoices()
{
    if (!AlertState)
        return;
    AlertState->StayUntilDismissed = chkStayUntilDismissed->isChecked();
    AlertState->SnoozeMinutes = cboSnooze->currentData().toInt();
}

void TSettingForm::CreateAppearancePage()
{
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    ColorPage->addTab(TabSheet2, tr("&Appearance"));

    Panel3 = new QFrame(TabSheet2);
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel3->setAutoFillBackground(true);
    Panel3->setGeometry(5, 10, 374, 145);
    Panel4 = new QFrame(Panel3);
    Panel4->setGeometry(40, 24, 289, 25);
    PaintBox1 = new TPaintBox(Panel4, [this](QPainter& painter) { PaintTitleRow(painter); });
    PaintBox1->setGeometry(0, 0, 300, 113);
    lbTitle = new QLabel(Panel4);
    lbTitle->setGeometry(17, 1, 3, 13);
    PaintBox2 = new TPaintBox(Panel3, [this](QPainter& painter) { PaintDates(painter); });
    PaintBox2->setGeometry(40, 48, 289, 83);
    lbSubFont = new QLabel(Panel3);
    lbSubFont->hide();
    for (QWidget* target : {static_cast<QWidget*>(lbTitle), PaintBox1, PaintBox2,
                            static_cast<QWidget*>(lbSubFont)})
        target->installEventFilter(this);

    CreateFontControls(TabSheet2);

    auto* Label11 = new QLabel(tr("Title Background"), TabSheet2);
    Label11->setGeometry(10, 241, 150, 14);
    rbTransparent = new QRadioButton(tr("Be Transparent"), TabSheet2);
    rbTransparent->setGeometry(7, 257, 120, 17);
    rbTransparent->setChecked(true);
    rbPicture = new QRadioButton(tr("Use Picture File"), TabSheet2);
    rbPicture->setGeometry(7, 278, 95, 17);
    edtPic = new QLineEdit(TabSheet2);
    // A face wider than the designed one moves the box right rather than cutting the caption.
    const int picLeft = std::max(102, rbPicture->x() + rbPicture->sizeHint().width() + 3);
    rbPicture->resize(picLeft - rbPicture->x() - 2, rbPicture->height());
    edtPic->setGeometry(picLeft, 275, 335 - picLeft, 21);
    SpeedButton6 = new QToolButton(TabSheet2);
    SpeedButton6->setText(QStringLiteral("..."));
    SpeedButton6->setGeometry(342, 275, 23, 22);
}

void TSettingForm::CreateFontControls(QWidget* page)
{
    // Two rows below the preview: the face with its size and style, then the colour, whose
    // box is wide enough for the longest colour name.
    constexpr int top = 166;
    auto label = [page](const char* caption, int x, int y) {
        auto* text = new QLabel(tr(caption), page);
        text->setGeometry(x, y, 60, 14);
    };
    label(QT_TR_NOOP("Element"), 9, top);
    cboElement = new QComboBox(page);
    cboElement->addItems({tr("TitleBar"), tr("Date")});
    cboElement->setGeometry(9, top + 18, 67, 21);
    label(QT_TR_NOOP("Font"), 79, top);
    cboFont = new QComboBox(page);
    cboFont->addItems(ScalableFamilies());
    cboFont->setGeometry(79, top + 17, 122, 21);
    cboFont->view()->setMinimumWidth(200);
    // Seven pixels wider than the designed 33, taken from the gaps beside it, so that a
    // two-digit size stays readable next to the drop-down arrow of today's styles.
    label(QT_TR_NOOP("Size"), 205, top);
    cboSize = new QComboBox(page);
    cboSize->setEditable(true);
    cboSize->setInsertPolicy(QComboBox::NoInsert);
    cboSize->setGeometry(205, top + 17, 40, 21);
    cboSize->view()->setMinimumWidth(40);

    auto toggle = [page](const char* glyph, int x, int y, bool bold) {
        auto* button = new QToolButton(page);
        button->setText(tr(glyph));
        QFont font = button->font();
        font.setBold(bold);
        font.setItalic(!bold);
        button->setFont(font);
        button->setCheckable(true);
        button->setGeometry(x, y, 23, 22);
        return button;
    };
    SpeedButton2 = toggle(QT_TR_NOOP("B"), 246, top + 18, true);
    SpeedButton3 = toggle(QT_TR_NOOP("I"), 270, top + 17, false);
    label(QT_TR_NOOP("Color"), 9, top + 48);
    cboColor = new QComboBox(page);
    cboColor->setGeometry(79, top + 45, 214, 21);
}

void TSettingForm::FillColorList()
{
    auto add = [this](TColor color) {
        const auto name = store::IntToIdent(store::ColorIdents, color);
        if (!name)
            return;
        cboColor->addItem(desktop::Swatch(ToQColor(color, palette())),
                          QString::fromUtf8(name->data(), static_cast<qsizetype>(name->size())),
                          QVariant::fromValue(static_cast<qint32>(color)));
    };
    for (const TColor color : NamedColors)
        add(color);
    for (const int index : Platform.SystemColorIndexes())
        add(store::SystemColor(index));
}

void TSettingForm::Connect()
{
    connect(Button1, &QPushButton::clicked, this, &TSettingForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSettingForm::reject);
    connect(SpeedButton1, &QToolButton::clicked, this, &TSettingForm::SpeedButton1Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TSettingForm::SpeedButton6Click);
    // The font controls answer the user only: LoadFontControls sets them without side effects.
    connect(cboElement, &QComboBox::activated, this, &TSettingForm::cboElementChange);
    connect(cboFont, &QComboBox::activated, this, &TSettingForm::cboFontChange);
    connect(cboSize, &QComboBox::activated, this, &TSettingForm::cboSizeChange);
    connect(cboSize->lineEdit(), &QLineEdit::textEdited, this, &TSettingForm::cboSizeChange);
    connect(SpeedButton2, &QToolButton::clicked, this, &TSettingForm::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TSettingForm::SpeedButton3Click);
    connect(cboColor, &QComboBox::activated, this, &TSettingForm::cboColorChange);
    connect(rbTransparent, &QRadioButton::clicked, this, &TSettingForm::rbTransparentClick);
    connect(edtPic, &QLineEdit::textChanged, this, &TSettingForm::edtPicChange);
    // The preview's weekday row starts on the day chosen.
    connect(cboFirstDay, &QComboBox::currentIndexChanged, PaintBox1, qOverload<>(&QWidget::update));
}

void TSettingForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (const QScreen* shown = screen())
            move(shown->availableGeometry().center() - rect().center());
        ColorPage->setCurrentIndex(0);
        if (CalSetting)
            LoadFromSetting(*CalSetting);
        if (AlertState)
            LoadAlertChoices(*AlertState);
        if (Regional)
            LoadRegionalChoices(*Regional);
    }
    QDialog::showEvent(event);
}

bool TSettingForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lbTitle || watched == PaintBox1)
            lbTitleClick();
        else if (watched == lbSubFont || watched == PaintBox2)
            lbSubFontClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TSettingForm::LoadFromSetting(const store::TCalSetting& setting)
{
    chkStayOnDesk->setChecked(setting.IsDeskChild);
    chkCanmove->setChecked(setting.CanMoved);
    chkInTheTray->setChecked(setting.HideInTheTray);
    edtSoundFile->setText(QString::fromStdString(setting.SoundFile));
    TitleWork = setting.TitleFont;
    SubWork = setting.SubFont;
    LoadFontControls(TitleWork);
    edtPic->setText(QString::fromStdString(setting.TitlePic));
    if (!setting.TitlePic.empty())
        rbPicture->setChecked(true);
    else
        rbTransparentClick();
    cboElement->setCurrentIndex(0);
    ElementLabel = lbTitle;
    DrawPreview();
}

void TSettingForm::LoadFontControls(const store::TFont& font)
{
    const QString face = QString::fromStdString(font.Name);
    cboFont->setCurrentIndex(cboFont->findText(face, Qt::MatchFixedString));
    // A face that is not in the list keeps it without a selection but still names it.
    cboFont->setPlaceholderText(face);
    cboSize->setEditText(QString::number(font.Size()));
    SpeedButton2->setChecked(store::HasStyle(font.Style, store::fsBold));
    SpeedButton3->setChecked(store::HasStyle(font.Style, store::fsItalic));
    SelectColor(font.Color);
}

void TSettingForm::SelectColor(TColor color)
{
    cboColor->setCurrentIndex(cboColor->findData(QVariant::fromValue(static_cast<qint32>(color))));
}

store::TFont& TSettingForm::ElementFont()
{
    return ElementLabel == lbSubFont ? SubWork : TitleWork;
}

void TSettingForm::cboElementChange()
{
    ElementLabel = cboElement->currentIndex() != 0 ? lbSubFont : lbTitle;
    LoadFontControls(ElementFont());
}

void TSettingForm::lbTitleClick()
{
    cboElement->setCurrentIndex(0);
    cboElementChange();
}

void TSettingForm::lbSubFontClick()
{
    cboElement->setCurrentIndex(1);
    cboElementChange();
}

void TSettingForm::cboFontChange()
{
    if (cboFont->currentIndex() < 0)
        return;
    ElementFont().Name = cboFont->currentText().toStdString();
    cboFont->setPlaceholderText(cboFont->currentText());
    DrawPreview();
}

void TSettingForm::cboSizeChange()
{
    int size = 0;
    try {
        size = store::ReadInteger(cboSize->currentText().toStdString());
    } catch (const store::EConvertError& error) {
        desktop::ShowError(this, QString::fromStdString(error.what()));
        return;
    }
    ElementFont().SetSize(size);
    DrawPreview();
}

void TSettingForm::SpeedButton2Click()
{
    SetStyle(ElementFont(), store::fsBold, SpeedButton2->isChecked());
    DrawPreview();
}

void TSettingForm::SpeedButton3Click()
{
    SetStyle(ElementFont(), store::fsItalic, SpeedButton3->isChecked());
    DrawPreview();
}

void TSettingForm::cboColorChange()
{
    if (cboColor->currentIndex() < 0)
        return;
    ElementFont().Color = static_cast<TColor>(cboColor->currentData().toInt());
    DrawPreview();
}

void TSettingForm::rbTransparentClick()
{
    edtPic->clear();
    rbTransparent->setChecked(true);
    DrawPreview();
}

void TSettingForm::edtPicChange()
{
    rbPicture->setChecked(true);
    // The preview follows a typed path as it follows a chosen one.
    DrawPreview();
}

void TSettingForm::SpeedButton1Click()
{
    // A cancelled dialog leaves the path as it was.
    if (const auto file = desktop::AskFile(
            this, {tr("Sound Files|*.wav"), QStringLiteral("wav"), edtSoundFile->text(), false}))
        edtSoundFile->setText(*file);
}

void TSettingForm::SpeedButton6Click()
{
    if (const auto file =
            desktop::AskFile(this, {tr("Bitmaps (*.bmp)|*.bmp"), QStringLiteral("bmp"), edtPic->text(),
                                    true}))
        edtPic->setText(*file);
    DrawPreview();
}

void TSettingForm::Button1Click()
{
    if (const QString problem = SyncPage->Problem(); !problem.isEmpty()) {
        ColorPage->setCurrentWidget(SyncPage);
        desktop::ShowError(this, problem);
        return;
    }
    if (CalSetting) {
        CalSetting->IsDeskChild = chkStayOnDesk->isChecked();
        CalSetting->CanMoved = chkCanmove->isChecked();
        CalSetting->HideInTheTray = chkInTheTray->isChecked();
        CalSetting->TitleFont.CopyFrom(TitleWork);
        CalSetting->SubFont.CopyFrom(SubWork);
        CalSetting->TitlePic = edtPic->text().toStdString();
        CalSetting->SoundFile = edtSoundFile->text().toStdString();
    }
    if (Regional)
        *Regional = RegionalChoices();
    StoreAlertChoices();
    done(mrOk);
}

void TSettingForm::reject()
{
    done(mrCancel);
}

void TSettingForm::DrawPreview()
{
    const QString file = edtPic->text();
    TitlePicture = file.isEmpty() ? QImage() : QImage(file);
    PaintBox1->update();
    PaintBox2->update();
}

void TSettingForm::PaintTitleRow(QPainter& painter)
{
    painter.fillRect(PaintBox1->rect(), Panel4->palette().color(QPalette::Window));
    if (!TitlePicture.isNull())
        painter.drawImage(0, 0, TitlePicture);
    painter.setPen(ToQColor(TitleWork.Color, palette()));
    const QFont font = ToQFont(TitleWork);
    const int step = Panel4->width() / 8;
    const store::TLocalFormat format = store::WithChoices(LocaleFormat, RegionalChoices());
    for (int k = 0; k < 7; ++k)
        TGUITools::DrawSmoothText(
            painter, QString::fromStdString(store::WeekdayLabel(format, format.FirstWeekday + k)),
            font, 20 + k * step, 0);
}

void TSettingForm::PaintDates(QPainter& painter)
{
    painter.fillRect(PaintBox2->rect(), Panel3->palette().color(QPalette::Window));
    painter.setPen(ToQColor(SubWork.Color, palette()));
    const QFont font = ToQFont(SubWork);
    const int step = Panel4->width() / 8;
    for (int n = 1; n <= 13; ++n) {
        const int x = n <= 6 ? n * step + 24 : (n - 7) * step + 24;
        const int y = n <= 6 ? 5 : 25;
        TGUITools::DrawSmoothText(painter, QString::number(n), font, x, y);
    }
}

}  // namespace orvenna::settings
