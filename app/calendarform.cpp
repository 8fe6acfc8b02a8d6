#include "app/calendarform.h"

#include "app/appcore.h"
#include "app/capturefiles.h"
#include "app/daygrid.h"
#include "app/monitormemory.h"
#include "app/startup.h"
#include "app/syncrunner.h"
#include "app/titlebox.h"
#include "desktop/desktoplog.h"
#include "desktop/fontconvert.h"
#include "desktop/guiservices.h"
#include "desktop/guitool.h"
#include "desktop/wallpaper.h"
#include "platform/clock.h"
#include "platform/platform.h"

#include "store/daypaperlist.h"
#include "store/localetext.h"
#include "store/monitorplace.h"
#include "store/settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <utility>

namespace orvenna::app {

namespace {

constexpr int SettleMs = 150;  // a pause this long in move events ends a system move
constexpr int DesktopSettleMs = 300;  // a pause this long ends a burst of desktop changes
// The wallpaper is composed this far around the window (screen coordinates), so that a drag
// by up to this much needs no new decode of the picture.
constexpr int DragReach = 64;

// A line in the trace ("orvenna.trace"), which is off in normal running.
void Trace(const char* text)
{
    qCDebug(desktop::lcTrace) << text;
}

}  // namespace

TCalendarForm::TCalendarForm(TAppCore& core, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window),
      FCore(core),
      Captures(core.ProgramFolder())
{
    setObjectName(QStringLiteral("CalendarForm"));
    setWindowTitle(QString::fromLatin1(desktop::ProgramCaption));
    setFixedSize(CalendarWidth(core.Regional().WeekNumbers), CalendarSize.height());
    CreateComponents();
    FormCreate();
    ConnectCore();
}

TCalendarForm::~TCalendarForm() = default;

QString TCalendarForm::ProgramFile(const QString& name) const
{
    return FCore.ProgramFile(name);
}

void TCalendarForm::CreateComponents()
{
    PaintBox1 = new TTitleBox(*this);
    PaintBox1->setGeometry(0, 0, width(), GridTop);
    lv = new TDayGrid(this);
    lv->setGeometry(0, GridTop, width(), CalendarSize.height() - GridTop);
    connect(lv, &TDayGrid::DayDoubleClicked, this, &TCalendarForm::lvDblClick);

    MoveSettled = new QTimer(this);
    MoveSettled->setSingleShot(true);
    MoveSettled->setInterval(SettleMs);
    connect(MoveSettled, &QTimer::timeout, this, [this] {
        SystemMoveRunning = false;
        DragEnded();
    });

    DesktopSettled = new QTimer(this);
    DesktopSettled->setSingleShot(true);
    DesktopSettled->setInterval(DesktopSettleMs);
    connect(DesktopSettled, &QTimer::timeout, this, &TCalendarForm::DesktopChangesSettled);
}

QMenu& TCalendarForm::PopupMenu()
{
    // Made when first shown: most runs never open it, and a start without it is lighter.
    if (!PopupMenu1)
        CreateMenu();
    return *PopupMenu1;
}

void TCalendarForm::CreateMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction(tr("Previous Month"), this,
                          &TCalendarForm::previousMonthItemClick);
    PopupMenu1->addAction(tr("Next Month"), this, &TCalendarForm::NextMonthClick);
    PopupMenu1->addSeparator();
    Browse1 = PopupMenu1->addAction(tr("&Browse..."), this,
                                    &TCalendarForm::Browse1Click);
    Browse1->setEnabled(BrowseEnabled);
    Setting1 = PopupMenu1->addAction(tr("&Setting..."), this,
                                     &TCalendarForm::Setting1Click);
    Setting1->setEnabled(SettingEnabled);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(tr("&Refresh"), this, &TCalendarForm::Refresh1Click);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(tr("E&xit"), this, &TCalendarForm::exit1Click);
}

void TCalendarForm::ConnectCore()
{
    connect(&FCore, &TAppCore::NotesChanged, this, &TCalendarForm::RefreshNoteMarks);
    connect(&FCore.Sync(), &TSyncRunner::SubscriptionsChanged, this,
            &TCalendarForm::RefreshNoteMarks);
    connect(&FCore, &TAppCore::SettingsChanged, this, &TCalendarForm::ApplySettings);
    connect(&FCore, &TAppCore::DayChanged, this, &TCalendarForm::DayChanged);
}

void TCalendarForm::DayChanged(QDate before, QDate after)
{
    // Today's mark moves when either day is in the shown month.
    const auto shown = [this](QDate day) {
        return day.year() == FShownYear && day.month() == FShownMonth;
    };
    if (shown(before) || shown(after)) {
        BuildMonth(QDate(FShownYear, FShownMonth, 1));
        BuildDayIcons();
    }
}

// ---- creation ---------------------------------------------------------------------------------

void TCalendarForm::FormCreate()
{
    platform::TPlatform& platform = FCore.Platform();
    FLastPaintTick = FCore.Clock().TickCount();

    FWallPaper = std::make_unique<desktop::TWallPaper>(platform);
    FWallPaper->SetNeighbourhood(DragReach);
    Monitors = std::make_unique<TMonitorMemory>(ProgramFile(QLatin1String(store::MonitorPlaceFileName)).toStdString());
    // No native window is made here: the attachment changes the window flags, and its
    // properties go to the native window that show() makes and maps.
    platform.AttachToDesktop(this);
    // The week-number column widens the window, not the day columns.
    FCellWidth = CellWidthFor(CalendarSize.width());
    PlaceWindow();

    // Composed once the window has its place: only the wallpaper behind it is kept. The picture
    // is decoded in another thread while the splash shows; the first refresh takes it, before
    // the window paints.
    FWallpaperFile = FWallPaper->GetWallpaperPath();
    {
        const desktop::TWallPaper::TOneReading reading(*FWallPaper);
        if (!AdoptLastCapture())
            ComposeInBackground();
        if (!FWallPaper->IsFormatSupported())
            ShowUnsupportedWallpaper();
    }
    connect(&platform, &orvenna::platform::TPlatform::DesktopFactsChanged, this, [this] {
        FactsChangePending = true;
        DesktopSettled->start();
    });
    connect(&platform, &orvenna::platform::TPlatform::ScreensChanged, this, [this] {
        ScreensChangePending = true;
        DesktopSettled->start();
    });
    const QDate today = FCore.Today();
    FShownYear = today.year();
    FShownMonth = today.month();
    FShownDay = today.day();
    ApplySettings();
    Trace("create");
}

void TCalendarForm::LoadWallpaperOrFill()
{
    // A composition under way would be of the desktop as it was.
    if (Neighbourhood.valid())
        Neighbourhood.wait();
    Neighbourhood = {};
    FWallPaper->SetKeptArea(ScreenArea(), devicePixelRatio());
    try {
        FWallPaper->LoadWallpaper();
    } catch (const std::exception& error) {
        // An unreadable picture keeps the previous composition; where that does not reach
        // (the first load, or the window moved) the desktop colour stands in for it.
        qCWarning(lcApp) << "wallpaper:" << error.what();
        if (!FWallPaper->Covers(ScreenArea(), devicePixelRatio()))
            FWallPaper->ComposeDesktop(QImage());
    }
    // The decoder's pictures were large blocks; hand the freed memory back to the system
    // instead of keeping it in the heap for a next load that may never come.
    FCore.Platform().ReleaseFreedMemory();
}

bool TCalendarForm::AdoptLastCapture()
{
    FWallPaper->SetKeptArea(ScreenArea(), devicePixelRatio());
    const std::optional<TCaptureFiles::TLastCapture> last = Captures.LastCapture();
    AdoptedCaptures = last && FWallPaper->Adopt(last->Window, last->Key);
    return AdoptedCaptures;
}

QRect TCalendarForm::ScreenArea() const
{
    return QRect(mapToGlobal(QPoint(0, 0)), size());
}

void TCalendarForm::ComposeBehindWindow()
{
    FWallPaper->SetKeptArea(ScreenArea(), devicePixelRatio());
    // The neighbourhood made while the window was dragged: taken when it is ready, and waited
    // for when the composition held does not reach the new place.
    if (Neighbourhood.valid() &&
        (Neighbourhood.wait_for(std::chrono::seconds(0)) == std::future_status::ready ||
         !FWallPaper->Covers(ScreenArea(), devicePixelRatio())))
        TakeNeighbourhood();
    if (!FWallPaper->Covers(ScreenArea(), devicePixelRatio()))
        LoadWallpaperOrFill();
}

void TCalendarForm::PrepareNeighbourhood()
{
    if (Neighbourhood.valid() && Neighbourhood.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        TakeNeighbourhood();
    FWallPaper->SetKeptArea(ScreenArea(), devicePixelRatio());
    if (Neighbourhood.valid() || FWallPaper->Covers(FWallPaper->NeighbourhoodArea(), devicePixelRatio()))
        return;
    // The picture is decoded while the user drags, so that the drop finds it composed.
    ComposeInBackground();
}

void TCalendarForm::ComposeInBackground()
{
    FWallPaper->SetKeptArea(ScreenArea(), devicePixelRatio());
    Neighbourhood = std::async(std::launch::async, FWallPaper->LoadJob());
}

void TCalendarForm::TakeNeighbourhood()
{
    try {
        FWallPaper->Take(Neighbourhood.get());
    } catch (const std::exception& error) {
        qCWarning(lcApp) << "wallpaper:" << error.what();
    }
    Neighbourhood = {};
    FCore.Platform().ReleaseFreedMemory();
}

void TCalendarForm::PlaceWindow()
{
    const platform::TPlatform& platform = FCore.Platform();
    const store::TCalSetting& settings = FCore.Settings();
    const QRect primary = platform.PrimaryScreen();
    const QList<orvenna::platform::TScreen> all = platform.Screens();
    QList<QRect> screens{primary};
    for (const orvenna::platform::TScreen& screen : all)
        screens.append(screen.Geometry);
    // The primary screen's work area comes first in the list, read once: on X11 each reading
    // asks the window manager. A desktop without panels reports none: the whole screen is
    // free then.
    const QRect reported = all.isEmpty() ? platform.WorkArea() : all.front().WorkArea;
    const QRect work = reported.isEmpty() ? primary : reported;
    const QPoint initial = InitialPosition(settings.Top, settings.Left, size(), work, screens);
    move(Monitors->StartPlace(QPoint(settings.Left, settings.Top), initial, size(), all));
}

void TCalendarForm::SetDesktopSettleMs(int ms)
{
    DesktopSettled->setInterval(ms);
}

void TCalendarForm::Start()
{
    // The composition made in the other thread is taken before the window maps, so that it
    // never shows unpainted while the picture is still being decoded.
    {
        const desktop::TWallPaper::TOneReading reading(*FWallPaper);
        ComposeBehindWindow();
        show();
        Refresh1Click();
    }
    FCore.Start();
}

void TCalendarForm::ShowUnsupportedWallpaper()
{
    FCore.ReportError(
        tr("The wallpaper file format is not supported, program will use the default setting."));
}

void TCalendarForm::ApplySettings()
{
    FCore.Platform().SetTaskBarPresence(this, !FCore.Settings().HideInTheTray);
    ApplyWidth();
    BuildMonth(QDate(FShownYear, FShownMonth, 1));
    BuildWindowRegion();
    if (isVisible())
        Refresh1Click();
}

void TCalendarForm::LoadFonts()
{
    // The metrics of the texts painted, on this window as the paint measures them: the font
    // files are opened and matched, the glyphs' metrics made.
    const store::TCalSetting& settings = FCore.Settings();
    QFont title = desktop::ToQFont(settings.TitleFont);
    QFont month = title;
    month.setPointSize(9);
    const QFont numbers = desktop::ToQFont(settings.SubFont);
    const std::pair<QFont, QString> texts[] = {
        {title, QString::fromStdString(store::WeekdayLabel(FCore.LocalFormat(), 0))},
        {month, QString::fromStdString(FCore.LocalFormat().ShortMonthNames[FShownMonth - 1])},
        {numbers, QStringLiteral("0123456789")}};
    for (auto [font, text] : texts) {
        font.setStyleStrategy(QFont::PreferAntialias);  // as the paint draws it
        QFontMetrics(font, this).horizontalAdvance(text);
    }
    FontsReady = true;
}

TGridLayout TCalendarForm::GridLayout() const
{
    return {FCore.LocalFormat().FirstWeekday, FCore.Regional().WeekNumbers};
}

void TCalendarForm::ApplyWidth()
{
    const int newWidth = CalendarWidth(FCore.Regional().WeekNumbers);
    if (newWidth == width())
        return;
    // The right edge stays where it was, so a calendar in a corner stays on the screen.
    const int grown = newWidth - width();
    setFixedSize(newWidth, CalendarSize.height());
    PaintBox1->setGeometry(0, 0, newWidth, GridTop);
    lv->setGeometry(0, GridTop, newWidth, CalendarSize.height() - GridTop);
    ListTopLeft = lv->rect().topLeft();
    ListBottomRight = lv->rect().bottomRight() + QPoint(1, 1);
    move(pos() - QPoint(grown, 0));
}

// ---- window events ---------------------------------------------------------------------------

void TCalendarForm::showEvent(QShowEvent* event)
{
    ListTopLeft = lv->rect().topLeft();
    ListBottomRight = lv->rect().bottomRight() + QPoint(1, 1);
    Trace("show");
    QWidget::showEvent(event);
    // The native window exists now and is not mapped yet: it is mapped with its shape.
    if (!DeviceShape.isEmpty())
        FCore.Platform().SetDeviceShape(this, DeviceShape);
}

bool TCalendarForm::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // A new native window (Qt makes one when the window flags change) has no shape yet.
    if (event->type() == QEvent::WinIdChange && !DeviceShape.isEmpty())
        FCore.Platform().SetDeviceShape(this, DeviceShape);
    return handled;
}

void TCalendarForm::closeEvent(QCloseEvent* event)
{
    if (CloseGuard && !CloseGuard()) {
        event->ignore();
        return;
    }
    FCore.Close(pos());
    event->accept();
}

void TCalendarForm::paintEvent(QPaintEvent*)
{
    const std::uint32_t now = FCore.Clock().TickCount();
    const bool rebuild = PaintRebuildsIcons(FLastPaintTick, now);
    FLastPaintTick = now;
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
    if (event->button() != Qt::LeftButton || !FCore.Settings().CanMoved)
        return;
    // On X11 the window follows the mouse itself: window managers offer no move to a window
    // that lives on the desktop. Elsewhere the system's move loop is the only way to move.
    if (FCore.Platform().CanAttachToDesktop()) {
        ManualDragging = true;
        ManualDragOffset = event->globalPosition().toPoint() - pos();
        PrepareNeighbourhood();
    }
}

void TCalendarForm::TitleMouseMove(QMouseEvent* event)
{
    if (!FCore.Settings().CanMoved || !(event->buttons() & Qt::LeftButton))
        return;
    if (ManualDragging) {
        move(event->globalPosition().toPoint() - ManualDragOffset);
        return;
    }
    QWindow* handle = windowHandle();
    if (!SystemMoveRunning && handle && handle->startSystemMove()) {
        SystemMoveRunning = true;
        MoveSettled->start();
        PrepareNeighbourhood();
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
    Monitors->UserPlaced(geometry(), FCore.Platform().Screens());
    // The cells must show the wallpaper of the new place.
    Trace("mousemove");
    Refresh1Click();
}

// ---- month view --------------------------------------------------------------------------------

void TCalendarForm::BuildMonth(QDate date)
{
    const QDate first(date.year(), date.month(), 1);
    lv->SetMonth(MonthGrid(first, FCellWidth, GridLayout()), first, FCore.Today());
    FNoteDays = DaysWithNotes();
    lv->SetNoteDays(FNoteDays);
    const store::TFont& numbers = FCore.Settings().SubFont;
    lv->SetNumberFont(desktop::ToQFont(numbers), desktop::ToQColor(numbers.Color));
    PaintBox1->update();
}

QStringList TCalendarForm::DaysWithNotes() const
{
    QStringList days;
    for (int i = 0; i < FCore.DayPapers().Count(); ++i) {
        const store::TDayPaper& paper = FCore.DayPapers().GetDayPaper(i);
        if (paper.Note.empty())
            continue;
        const QDate day = DateFromDays(paper.Day);
        if (day.year() == FShownYear && day.month() == FShownMonth)
            days << QString::number(day.day());
    }
    // The subscribed calendars' days are marked too, for their notes and their meetings.
    store::TDayPaperList& subscribed = FCore.Sync().Subscribed();
    for (int i = 0; i < subscribed.Count(); ++i) {
        const store::TDayPaper& paper = subscribed.GetDayPaper(i);
        const QDate day = DateFromDays(paper.Day);
        if (day.year() == FShownYear && day.month() == FShownMonth &&
            !days.contains(QString::number(day.day())))
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

    QImage picture;
    if (!FCore.Settings().TitlePic.empty())
        picture = desktop::ReadImageFile(QString::fromStdString(FCore.Settings().TitlePic));
    if (picture.isNull() && TitleBackgroundSaved) {
        picture = Captures.Title();
        picture.setDevicePixelRatio(devicePixelRatio());  // captured in device pixels
    }
    if (picture.isNull())
        picture = LastTitleBackground;
    if (!picture.isNull())
        painter.drawImage(0, 0, picture);

    QFont font = desktop::ToQFont(FCore.Settings().TitleFont);
    painter.setPen(desktop::ToQColor(FCore.Settings().TitleFont.Color));
    const TTitleLayout layout = TitleLayout(FCellWidth, GridLayout());
    for (int k = 0; k < 7; ++k) {
        const std::string label = store::WeekdayLabel(FCore.LocalFormat(), layout.Weekdays[k]);
        desktop::TGUITools::DrawSmoothText(painter, QString::fromStdString(label), font,
                                           layout.WeekdayLabels[k].x(),
                                           layout.WeekdayLabels[k].y());
    }
    font.setPointSize(9);
    const QString month =
        QString::fromStdString(FCore.LocalFormat().ShortMonthNames[FShownMonth - 1]);
    const int monthWidth = QFontMetrics(font, painter.device()).horizontalAdvance(month);
    desktop::TGUITools::DrawSmoothText(painter, month, font,
                                       MonthLabelLeft(layout, monthWidth, width()),
                                       layout.MonthLabel.y());
}

void TCalendarForm::BuildWindowRegion()
{
    QImage titlePicture;
    if (!FCore.Settings().TitlePic.empty())
        titlePicture = desktop::ReadImageFile(QString::fromStdString(FCore.Settings().TitlePic));
    const QRegion title = TitleShape(titlePicture, width()) + WeekShapes(lv->Weeks());
    const QImage mask = desktop::ReadImageFile(ProgramFile(QStringLiteral("images/2.bmp")));
    const QRegion cell = mask.isNull() ? QRegion() : RegionFromPicture(mask);
    QList<TDayCell> cells;
    for (const TDayItem& item : lv->Items())
        cells.append(item.Cell);
    Shape = WindowRegion(title, cell, cells);
    // On a scaled screen the shape is cut at device resolution where the system can, so the
    // cells' round edges are as fine as the screen; a widget mask would scale up their steps.
    const qreal ratio = devicePixelRatio();
    DeviceShape = QRegion();
    if (ratio != 1.0 && !mask.isNull()) {
        const QImage mask2x = desktop::ReadImageFile(ProgramFile(QStringLiteral("images/2@2x.bmp")));
        const QRegion deviceCell = RegionFromPicture(DeviceCellMask(mask, mask2x, ratio));
        DeviceShape = DeviceWindowRegion(title, deviceCell, cells, ratio);
        if (!this->mask().isEmpty())
            clearMask();  // before the device shape, which the widget's mask would replace
        if (FCore.Platform().SetDeviceShape(this, DeviceShape))
            return;
        DeviceShape = QRegion();
    }
    setMask(Shape);
}

void TCalendarForm::SaveBackgrounds()
{
    ComposeBehindWindow();
    QImage work;
    const QRect gridClient(ListTopLeft, ListBottomRight - QPoint(1, 1));
    const QRect gridScreen(lv->mapToGlobal(ListTopLeft), gridClient.size());
    FWallPaper->CopyDeskRect(work, gridClient, gridScreen);
    LastGridBackground = work;
    const QRect titleClient = PaintBox1->rect();
    const QRect titleScreen(PaintBox1->mapToGlobal(titleClient.topLeft()), titleClient.size());
    FWallPaper->CopyDeskRect(work, titleClient, titleScreen);
    LastTitleBackground = work;
    // A start that took the captures from the disk shows them unchanged: the files already hold
    // these pixels, and writing them again would only delay the first paint.
    const bool onDisk = std::exchange(AdoptedCaptures, false) && FWallPaper->ComposedKey() == FWallPaper->CurrentKey();
    if (onDisk) {
        Captures.KeepAsWritten(LastGridBackground, LastTitleBackground);
        return;
    }
    GridBackgroundSaved = Captures.SaveGrid(LastGridBackground);
    TitleBackgroundSaved = Captures.SaveTitle(LastTitleBackground);

    // What the captures were composed from, so that the next start can take them as they are.
    Captures.SaveKey(FWallPaper->ComposedKey(), GridBackgroundSaved && TitleBackgroundSaved);
}

void TCalendarForm::BuildDayIcons()
{
    // A folder we cannot write to must not leave the cells with an older capture.
    QImage background;
    if (GridBackgroundSaved)
        background = Captures.Grid();
    if (background.isNull())
        background = LastGridBackground;
    // The capture holds device pixels: at a ratio of 2 each piece is 64 x 64, drawn 1:1. The
    // pieces share the capture's pixels.
    const qreal ratio = devicePixelRatio();
    const QList<TDayItem>& items = lv->Items();
    for (int i = 0; i < items.size(); ++i) {
        const QRect cell = desktop::DeviceRect(DayIconRect(items[i].Cell.Position), ratio);
        QImage icon = desktop::SharedPart(background, cell);
        icon.setDevicePixelRatio(ratio);
        lv->SetIcon(i, std::move(icon));
    }
    const QList<TWeekItem>& weeks = lv->WeekItems();
    for (int i = 0; i < weeks.size(); ++i) {
        QImage piece =
            desktop::SharedPart(background, desktop::DeviceRect(weeks[i].Cell.Box, ratio));
        piece.setDevicePixelRatio(ratio);
        lv->SetWeekIcon(i, std::move(piece));
    }
    lv->update();
}

void TCalendarForm::RefreshNoteMarks()
{
    FNoteDays = DaysWithNotes();
    lv->SetNoteDays(FNoteDays);
}

// ---- commands ----------------------------------------------------------------------------------

void TCalendarForm::ShowMonthOf(int year, int month)
{
    FShownYear = year;
    FShownMonth = month;
    FShownDay = 1;
    BuildMonth(QDate(FShownYear, FShownMonth, 1));
    BuildWindowRegion();
    Refresh1Click();
}

void TCalendarForm::previousMonthItemClick()
{
    if (FShownMonth == 1)
        ShowMonthOf(FShownYear - 1, 12);
    else
        ShowMonthOf(FShownYear, FShownMonth - 1);
}

void TCalendarForm::NextMonthClick()
{
    if (FShownMonth == 12)
        ShowMonthOf(FShownYear + 1, 1);
    else
        ShowMonthOf(FShownYear, FShownMonth + 1);
}

void TCalendarForm::lvDblClick(int day)
{
    FShownDay = day;
    emit DayOpened(ShownDate());
}

void TCalendarForm::Browse1Click()
{
    emit BrowseRequested();
}

void TCalendarForm::Setting1Click()
{
    emit SettingRequested();
}

void TCalendarForm::SetBrowseEnabled(bool enabled)
{
    BrowseEnabled = enabled;
    if (Browse1)
        Browse1->setEnabled(enabled);
}

void TCalendarForm::SetSettingEnabled(bool enabled)
{
    SettingEnabled = enabled;
    if (Setting1)
        Setting1->setEnabled(enabled);
}

void TCalendarForm::Refresh1Click()
{
    const desktop::TWallPaper::TOneReading reading(*FWallPaper);
    SaveBackgrounds();
    PaintBox1->update();
    BuildDayIcons();
    FLastPaintTick = 0;
}

void TCalendarForm::exit1Click()
{
    close();
}

void TCalendarForm::WMSettingChange()
{
    const desktop::TWallPaper::TOneReading reading(*FWallPaper);
    FWallpaperFile = FWallPaper->GetWallpaperPath();
    LoadWallpaperOrFill();
    Refresh1Click();
    if (!FWallPaper->IsFormatSupported())
        ShowUnsupportedWallpaper();
}

void TCalendarForm::WMDisplayChange()
{
    const desktop::TWallPaper::TOneReading reading(*FWallPaper);
    KeepOnScreen();
    BuildWindowRegion();  // the window may be on a screen of another scale now
    FWallpaperFile = FWallPaper->GetWallpaperPath();
    LoadWallpaperOrFill();
    Refresh1Click();
}

void TCalendarForm::DesktopChangesSettled()
{
    // Both kinds in one burst still make one reload; only a settings change complains.
    const bool facts = std::exchange(FactsChangePending, false);
    const bool screens = std::exchange(ScreensChangePending, false);
    if (facts && screens)
        KeepOnScreen();
    if (facts)
        WMSettingChange();
    else if (screens)
        WMDisplayChange();
}

void TCalendarForm::KeepOnScreen()
{
    const QPoint place = Monitors->AfterScreensChanged(geometry(), FCore.Platform().Screens());
    if (place == pos())
        return;
    move(place);
    store::TCalSetting& settings = FCore.Settings();
    settings.Top = place.y();
    settings.Left = place.x();
    FCore.SaveSettings();
}

}  // namespace orvenna::app
