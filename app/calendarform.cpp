#include "app/calendarform.h"

#include "platform/clock.h"
#include "app/daygrid.h"
#include "desktop/fontconvert.h"
#include "desktop/guitool.h"
#include "app/localeformat.h"
#include "platform/platform.h"
#include "app/startup.h"
#include "app/titlebox.h"
#include "desktop/wallpaper.h"

#include "store/daypaperlist.h"
#include "store/errors.h"
#include "store/settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <cstdio>

namespace orvenna::app {

namespace {

constexpr const char* UnsupportedWallpaperText =
    "The wallpaper file format is not supported, program will use the default setting.";
constexpr const char* ProgramTitle = "Orvenna";
constexpr int SettleMs = 150;  // a pause this long in move events ends a system move

const char* const WeekdayLabels[7] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};

// A line in the trace log, which is off in normal running.
void Trace(const QString& text)
{
    if (desktop::GUITools)
        desktop::GUITools->AddLog(text);
}

QDate DateFromDays(double days)
{
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(days)));
}

void ShowErrorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ProgramTitle), text,
                    QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

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

TCalendarForm::TCalendarForm(platform::TPlatform& platform, platform::TClock& clock,
                             QString programFolder, TCalendarHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window),
      Platform(platform),
      Clock(clock),
      Folder(std::move(programFolder)),
      Hooks(std::move(hooks))
{
    if (!Hooks.ShowError)
        Hooks.ShowError = ShowErrorBox;
    setObjectName(QStringLiteral("CalendarForm"));
    setWindowTitle(QString::fromLatin1(ProgramTitle));
    setFixedSize(CalendarSize);
    CreateComponents();
    CreateMenu();
    FormCreate();
}

TCalendarForm::~TCalendarForm()
{
    if (desktop::GUITools)
        desktop::GUITools->CopyLogToClipboard();
    // The notes file is written by the windows that change notes, never here.
}

void TCalendarForm::CreateComponents()
{
    PaintBox1 = new TTitleBox(*this);
    PaintBox1->setGeometry(0, 0, CalendarSize.width(), GridTop);
    lv = new TDayGrid(this);
    lv->setGeometry(0, GridTop, CalendarSize.width(), CalendarSize.height() - GridTop);
    connect(lv, &TDayGrid::DayDoubleClicked, this, [this](int day) {
        ShownDay = day;
        if (Hooks.ShowDayNote)
            Hooks.ShowDayNote(day);
    });

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TCalendarForm::Timer1Timer);

    MoveSettled = new QTimer(this);
    MoveSettled->setSingleShot(true);
    MoveSettled->setInterval(SettleMs);
    connect(MoveSettled, &QTimer::timeout, this, [this] {
        SystemMoveRunning = false;
        DragEnded();
    });
}

void TCalendarForm::CreateMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction(QStringLiteral("Previous Month"), this,
                          &TCalendarForm::previousMonthItemClick);
    PopupMenu1->addAction(QStringLiteral("Next Month"), this, &TCalendarForm::NextMonthClick);
    PopupMenu1->addSeparator();
    Browse1 = PopupMenu1->addAction(QStringLiteral("&Browse..."), this,
                                    &TCalendarForm::Browse1Click);
    Browse1->setEnabled(static_cast<bool>(Hooks.Browse));
    Setting1 = PopupMenu1->addAction(QStringLiteral("&Setting..."), this,
                                     &TCalendarForm::Setting1Click);
    Setting1->setEnabled(static_cast<bool>(Hooks.Setting));
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("&Refresh"), this, &TCalendarForm::Refresh1Click);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("E&xit"), this, &TCalendarForm::exit1Click);
}

// ---- creation ---------------------------------------------------------------------------------

void TCalendarForm::FormCreate()
{
    LastPaintTick = Clock.TickCount();
    Settings = std::make_unique<store::TCalSetting>();

    WallPaper = std::make_unique<desktop::TWallPaper>(Platform);
    WallpaperFile = WallPaper->GetWallpaperPath();
    LoadWallpaperOrFill();
    if (!WallPaper->IsFormatSupported())
        ShowUnsupportedWallpaper();
    connect(&Platform, &platform::TPlatform::DesktopFactsChanged, this,
            [this] { WMSettingChange(); });

    LoadSettings();
    winId();  // the window exists from here on, so the platform can mark it
    Platform.SetTaskBarPresence(this, !Settings->HideInTheTray);
    Platform.AttachToDesktop(this);

    CellWidth = CellWidthFor(width());
    PlaceWindow();

    const QDate today = DateFromDays(Clock.Now());
    ShownYear = today.year();
    ShownMonth = today.month();
    ShownDay = today.day();

    LoadNotes();
    LocalFormat = LocalFormatFromLocale();

    BuildMonth(today);
    BuildWindowRegion();
    Trace(QStringLiteral("create"));
}

void TCalendarForm::LoadWallpaperOrFill()
{
    try {
        WallPaper->LoadWallpaper();
    } catch (const std::exception& error) {
        // An unreadable picture keeps the previous composition; at the first load there is
        // none yet, so the desktop colour stands in for it.
        std::fprintf(stderr, "orvenna: %s\n", error.what());
        if (WallPaper->DeskBitmap().isNull())
            WallPaper->ComposeDesktop(QImage());
    }
}

void TCalendarForm::LoadSettings()
{
    try {
        Settings->LoadFromFile(ProgramFile(QLatin1String(SettingsFileName)).toStdString());
    } catch (const store::EStoreError&) {
        // A missing or damaged file: carry on with the creation values; the next close
        // writes a good file.
        Settings = std::make_unique<store::TCalSetting>();
    }
}

void TCalendarForm::LoadNotes()
{
    DayPapers = std::make_unique<store::TDayPaperList>([this] {
        return std::floor(Clock.Now());
    });
    const std::string notesFile = ProgramFile(QLatin1String(NotesFileName)).toStdString();
    try {
        DayPapers->LoadFromFile(notesFile);
    } catch (const store::EFileError& openError) {
        // Only a missing file is replaced by an empty one: one that exists but cannot be
        // opened still holds the user's notes.
        if (QFileInfo::exists(ProgramFile(QLatin1String(NotesFileName)))) {
            std::fprintf(stderr, "orvenna: %s\n", openError.what());
            return;
        }
        try {
            DayPapers->SaveToFile(notesFile);
        } catch (const store::EStoreError& error) {
            std::fprintf(stderr, "orvenna: %s\n", error.what());
        }
    }
}

void TCalendarForm::PlaceWindow()
{
    const QRect primary = Platform.PrimaryScreen();
    QList<QRect> screens{primary};
    for (const platform::TScreen& screen : Platform.Screens())
        screens.append(screen.Geometry);
    move(InitialPosition(Settings->Top, Settings->Left, size(), primary, screens));
}

void TCalendarForm::Start()
{
    show();
    Refresh1Click();
    AddTrayIcon();
    Timer1->start();
}

void TCalendarForm::AddTrayIcon()
{
    Tray = new QSystemTrayIcon(TrayPicture(), this);
    Tray->setToolTip(QString::fromLatin1(ProgramTitle));
    connect(Tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                case QSystemTrayIcon::Context:
                    activateWindow();
                    PopupMenu1->popup(QCursor::pos());
                    break;
                case QSystemTrayIcon::DoubleClick:
                    if (Hooks.ShowTodayNote)
                        Hooks.ShowTodayNote();
                    break;
                default:
                    break;
                }
            });
    Tray->show();
}

void TCalendarForm::ShowUnsupportedWallpaper()
{
    Hooks.ShowError(QString::fromLatin1(UnsupportedWallpaperText));
}

// ---- window events ---------------------------------------------------------------------------

void TCalendarForm::showEvent(QShowEvent* event)
{
    ListTopLeft = lv->rect().topLeft();
    ListBottomRight = lv->rect().bottomRight() + QPoint(1, 1);
    Trace(QStringLiteral("show"));
    QWidget::showEvent(event);
}

void TCalendarForm::closeEvent(QCloseEvent* event)
{
    Settings->Top = y();
    Settings->Left = x();
    try {
        Settings->SaveToFile(ProgramFile(QLatin1String(SettingsFileName)).toStdString());
    } catch (const store::EStoreError& error) {
        std::fprintf(stderr, "orvenna: %s\n", error.what());
    }
    if (Tray)
        Tray->hide();
    event->accept();
}

void TCalendarForm::paintEvent(QPaintEvent*)
{
    const std::uint32_t now = Clock.TickCount();
    const bool rebuild = PaintRebuildsIcons(LastPaintTick, now);
    LastPaintTick = now;
    if (rebuild)
        BuildDayIcons();
}

void TCalendarForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (SystemMoveRunning)
        MoveSettled->start();
}

void TCalendarForm::TitleMousePress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !Settings->CanMoved)
        return;
    // On X11 the window follows the mouse itself: window managers offer no move to a window
    // that lives on the desktop. Elsewhere the system's move loop is the only way to move.
    if (Platform.CanAttachToDesktop()) {
        ManualDragging = true;
        ManualDragOffset = event->globalPosition().toPoint() - pos();
    }
}

void TCalendarForm::TitleMouseMove(QMouseEvent* event)
{
    if (!Settings->CanMoved || !(event->buttons() & Qt::LeftButton))
        return;
    if (ManualDragging) {
        move(event->globalPosition().toPoint() - ManualDragOffset);
        return;
    }
    QWindow* handle = windowHandle();
    if (!SystemMoveRunning && handle && handle->startSystemMove()) {
        SystemMoveRunning = true;
        MoveSettled->start();
    }
}

void TCalendarForm::TitleMouseRelease(QMouseEvent* event)
{
    if (!ManualDragging || event->button() != Qt::LeftButton)
        return;
    ManualDragging = false;
    DragEnded();
}

void TCalendarForm::DragEnded()
{
    // The cells must show the wallpaper of the new place.
    Trace(QStringLiteral("mousemove"));
    Refresh1Click();
}

void TCalendarForm::Timer1Timer()
{
    if (Hooks.CheckReminders)
        Hooks.CheckReminders();
}

// ---- month view --------------------------------------------------------------------------------

void TCalendarForm::BuildMonth(QDate date)
{
    const QDate first(date.year(), date.month(), 1);
    lv->SetMonth(MonthGrid(first, CellWidth), first, DateFromDays(Clock.Now()));
    NoteDays = DaysWithNotes();
    lv->SetNoteDays(NoteDays);
    lv->SetNumberFont(desktop::ToQFont(Settings->SubFont), desktop::ToQColor(Settings->SubFont.Color));
    PaintBox1->update();
}

QStringList TCalendarForm::DaysWithNotes() const
{
    QStringList days;
    for (int i = 0; i < DayPapers->Count(); ++i) {
        const store::TDayPaper& paper = DayPapers->GetDayPaper(i);
        if (paper.Note.empty())
            continue;
        const QDate day = DateFromDays(paper.Day);
        if (day.year() == ShownYear && day.month() == ShownMonth)
            days << QString::number(day.day());
    }
    return days;
}

void TCalendarForm::PaintTitle(QPainter& painter)
{
    const QRect box = PaintBox1->rect();
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawRect(box.adjusted(0, 0, -1, -1));

    const QString applebar = ProgramFile(QStringLiteral("images/applebar.bmp"));
    QImage picture;
    if (!Settings->TitlePic.empty())
        picture.load(QString::fromStdString(Settings->TitlePic));
    if (picture.isNull() && TitleBackgroundSaved)
        picture.load(applebar);
    if (picture.isNull())
        picture = LastTitleBackground;
    if (!picture.isNull())
        painter.drawImage(0, 0, picture);

    QFont font = desktop::ToQFont(Settings->TitleFont);
    painter.setPen(desktop::ToQColor(Settings->TitleFont.Color));
    const TTitleLayout layout = TitleLayout(CellWidth);
    for (int k = 0; k < 7; ++k)
        desktop::TGUITools::DrawSmoothText(painter, QString::fromLatin1(WeekdayLabels[k]), font,
                                           layout.WeekdayLabels[k].x(),
                                           layout.WeekdayLabels[k].y());
    font.setPointSize(9);
    const QString month = QString::fromStdString(LocalFormat.ShortMonthNames[ShownMonth - 1]);
    desktop::TGUITools::DrawSmoothText(painter, month, font, layout.MonthLabel.x(),
                                       layout.MonthLabel.y());
}

void TCalendarForm::BuildWindowRegion()
{
    QImage titlePicture;
    if (!Settings->TitlePic.empty())
        titlePicture.load(QString::fromStdString(Settings->TitlePic));
    const QRegion title = TitleShape(titlePicture, width());
    const QImage mask(ProgramFile(QStringLiteral("images/2.bmp")));
    const QRegion cell = mask.isNull() ? QRegion() : RegionFromPicture(mask);
    QList<TDayCell> cells;
    for (const TDayItem& item : lv->Items())
        cells.append(item.Cell);
    Shape = WindowRegion(title, cell, cells);
    setMask(Shape);
}

void TCalendarForm::SaveBackgrounds()
{
    QImage work;
    const QRect gridClient(ListTopLeft, ListBottomRight - QPoint(1, 1));
    const QRect gridScreen(lv->mapToGlobal(ListTopLeft), gridClient.size());
    WallPaper->CopyDeskRect(work, gridClient, gridScreen);
    LastGridBackground = work;
    GridBackgroundSaved = work.save(ProgramFile(QStringLiteral("bk.bmp")), "BMP");

    const QRect titleClient = PaintBox1->rect();
    const QRect titleScreen(PaintBox1->mapToGlobal(titleClient.topLeft()), titleClient.size());
    WallPaper->CopyDeskRect(work, titleClient, titleScreen);
    LastTitleBackground = work;
    TitleBackgroundSaved = work.save(ProgramFile(QStringLiteral("images/applebar.bmp")), "BMP");
}

void TCalendarForm::BuildDayIcons()
{
    // A folder we cannot write to must not leave the cells with an older capture.
    QImage background;
    if (GridBackgroundSaved)
        background.load(ProgramFile(QStringLiteral("bk.bmp")));
    if (background.isNull())
        background = LastGridBackground;
    const QList<TDayItem>& items = lv->Items();
    for (int i = 0; i < items.size(); ++i)
        lv->SetIcon(i, background.copy(DayIconRect(items[i].Cell.Position)));
    lv->update();
}

void TCalendarForm::RefreshNoteMarks()
{
    NoteDays = DaysWithNotes();
    lv->SetNoteDays(NoteDays);
}

// ---- commands ----------------------------------------------------------------------------------

void TCalendarForm::ShowMonthOf(int year, int month)
{
    ShownYear = year;
    ShownMonth = month;
    ShownDay = 1;
    BuildMonth(QDate(ShownYear, ShownMonth, 1));
    BuildWindowRegion();
    Refresh1Click();
}

void TCalendarForm::previousMonthItemClick()
{
    if (ShownMonth == 1)
        ShowMonthOf(ShownYear - 1, 12);
    else
        ShowMonthOf(ShownYear, ShownMonth - 1);
}

void TCalendarForm::NextMonthClick()
{
    if (ShownMonth == 12)
        ShowMonthOf(ShownYear + 1, 1);
    else
        ShowMonthOf(ShownYear, ShownMonth + 1);
}

void TCalendarForm::Browse1Click()
{
    if (Hooks.Browse)
        Hooks.Browse();
}

void TCalendarForm::Setting1Click()
{
    if (!Hooks.Setting || !Hooks.Setting())
        return;
    Platform.SetAutoRun(Settings->IsDeskChild);
    BuildMonth(QDate(ShownYear, ShownMonth, 1));
    Refresh1Click();
    BuildWindowRegion();
}

void TCalendarForm::Refresh1Click()
{
    SaveBackgrounds();
    PaintBox1->update();
    BuildDayIcons();
    LastPaintTick = 0;
}

void TCalendarForm::exit1Click()
{
    close();
}

void TCalendarForm::WMSettingChange()
{
    WallpaperFile = WallPaper->GetWallpaperPath();
    LoadWallpaperOrFill();
    Refresh1Click();
    if (!WallPaper->IsFormatSupported())
        ShowUnsupportedWallpaper();
}

}  // namespace orvenna::app
