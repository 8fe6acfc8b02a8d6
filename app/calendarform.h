#pragma once
// TCalendarForm: the calendar on the desktop. A frameless window of 296 x 216 shaped to its
// title box and day cells, each cell filled with the wallpaper that lies behind it, so that
// the month looks painted on the desktop. It is a view of the program's state (TAppCore):
// it shows the core's notes and settings and follows its NotesChanged and SettingsChanged.
// It owns the wallpaper reader and the month on display.

#include "app/capturefiles.h"
#include "app/monthlayout.h"
#include "desktop/wallpaper.h"

#include <QDate>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <utility>

class QAction;
class QMenu;
class QTimer;


namespace orvenna::app {

class TAppCore;
class TDayGrid;
class TMonitorMemory;
class TTitleBox;

class TCalendarForm final : public QWidget {
    Q_OBJECT

public:
    // Runs the creation steps up to the window's shape; Start() shows it. The core must
    // outlive the window.
    explicit TCalendarForm(TAppCore& core, QWidget* parent = nullptr);
    ~TCalendarForm() override;

    // Shows the window on the desktop, captures the wallpaper behind it, then starts the
    // core (tray icon, reminder timer).
    void Start();
    // How long the desktop must stay unchanged before a burst of its changes is taken up
    // (300 ms unless a test shortens it).
    void SetDesktopSettleMs(int ms);
    // Asked before the window closes (the program's end): false keeps it open.
    void SetCloseGuard(std::function<bool()> guard) { CloseGuard = std::move(guard); }

    TAppCore& Core() const { return FCore; }

    // ---- the month on display ----------------------------------------------------------
    int ShownYear() const { return FShownYear; }
    int ShownMonth() const { return FShownMonth; }   // 1..12
    int ShownDay() const { return FShownDay; }       // the selected day number
    // The selected day of the shown month.
    QDate ShownDate() const { return QDate(FShownYear, FShownMonth, FShownDay); }
    int CellWidth() const { return FCellWidth; }
    // Decimal day numbers of the shown month that carry a note.
    const QStringList& NoteDays() const { return FNoteDays; }
    const QString& WallpaperFile() const { return FWallpaperFile; }
    const desktop::TWallPaper& WallPaper() const { return *FWallPaper; }
    std::uint32_t LastPaintTick() const { return FLastPaintTick; }
    // The region last applied as the window's shape.
    const QRegion& WindowShape() const { return Shape; }
    // The shape in device pixels on a scaled screen where the system shapes windows at that
    // resolution (TPlatform::SetDeviceShape); empty otherwise, when WindowShape() is the mask.
    const QRegion& DeviceWindowShape() const { return DeviceShape; }
    TDayGrid& DayGrid() const { return *lv; }
    // The menu of the title's right click and the tray's click, made when first asked for.
    QMenu& PopupMenu();

    // ---- month view -----------------------------------------------------------------------
    void BuildMonth(QDate date);
    QStringList DaysWithNotes() const;
    void PaintTitle(QPainter& painter);
    void BuildWindowRegion();
    void SaveBackgrounds();
    void BuildDayIcons();
    // The store changed: underline the days of the shown month that now carry a note.
    void RefreshNoteMarks();
    // The local date changed from before to after while the calendar runs.
    void DayChanged(QDate before, QDate after);
    // Applies the settings record: task-bar presence, fonts, title picture and shape. Runs at
    // creation and on every SettingsChanged, so a changed "Just display it in the tray" shows
    // at once instead of at the next start.
    void ApplySettings();
    // Loads the fonts the calendar paints with (the title's, the month's and the day
    // numbers' as the settings name them), so that its first paint finds them ready. The
    // start-up runs it while the splash holds.
    void LoadFonts();
    bool FontsLoaded() const { return FontsReady; }

    // ---- commands -------------------------------------------------------------------------
    void previousMonthItemClick();
    void NextMonthClick();
    void Browse1Click();
    void Setting1Click();
    void Refresh1Click();
    void exit1Click();
    // The desktop's wallpaper facts changed: re-read, re-render, complain about a format.
    void WMSettingChange();
    // The screens changed: re-read and re-render the wallpaper for the new screens, bring the
    // window back onto a screen when it is no longer wholly on one, or back to the monitor the
    // user put it on when that monitor is there again (app/monitormemory.h; the new place is
    // stored in the settings), and refresh.
    void WMDisplayChange();
    // "&Browse..." and "&Setting..." stay disabled until their windows exist.
    void SetBrowseEnabled(bool enabled);
    void SetSettingEnabled(bool enabled);

    // ---- title box ------------------------------------------------------------------------
    void TitleMousePress(QMouseEvent* event);
    void TitleMouseMove(QMouseEvent* event);
    void TitleMouseRelease(QMouseEvent* event);

signals:
    // A day of the shown month was double-clicked; ShownDay is already that day.
    void DayOpened(QDate day);
    void BrowseRequested();
    void SettingRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormCreate();
    void CreateComponents();
    void CreateMenu();
    void ConnectCore();
    void LoadWallpaperOrFill();
    // Takes the last run's captures as the composition when nothing they came from changed.
    bool AdoptLastCapture();
    // The window's rectangle on the screen; the wallpaper reader composes that and its
    // neighbourhood.
    QRect ScreenArea() const;
    // Composes the wallpaper again when the window left the part composed last (a drag, a
    // screen change) or the screen's scale changed.
    void ComposeBehindWindow();
    // At the start of a drag: composes the window's neighbourhood in another thread when the
    // composition held does not reach around the window (after a start that took the last
    // captures, or a drag toward the neighbourhood's edge).
    void PrepareNeighbourhood();
    // Composes the window's place and its neighbourhood in another thread; the next
    // ComposeBehindWindow takes it, waiting for it when needed.
    void ComposeInBackground();
    // Takes the neighbourhood composed in the other thread, waiting for it when needed.
    void TakeNeighbourhood();
    void PlaceWindow();
    // The layout the regional choices give the month: first weekday and week numbers.
    TGridLayout GridLayout() const;
    // Widens or narrows the window for the week-number column, keeping its right edge.
    void ApplyWidth();
    void ShowUnsupportedWallpaper();
    void ShowMonthOf(int year, int month);
    void lvDblClick(int day);  // selects the day and announces DayOpened
    QString ProgramFile(const QString& name) const;
    void DragEnded();
    void DesktopChangesSettled();
    void KeepOnScreen();

    TAppCore& FCore;
    TCaptureFiles Captures;

    int FCellWidth = 0;
    QString FWallpaperFile;
    std::unique_ptr<desktop::TWallPaper> FWallPaper;
    std::future<desktop::TComposition> Neighbourhood;  // being composed at the start or while a drag runs
    std::unique_ptr<TMonitorMemory> Monitors;  // the monitor the user put the window on
    std::uint32_t FLastPaintTick = 0;
    int FShownYear = 0;
    int FShownMonth = 0;
    int FShownDay = 0;
    QPoint ListTopLeft;      // the day grid's client rectangle, captured when shown
    QPoint ListBottomRight;
    QStringList FNoteDays;

    TTitleBox* PaintBox1 = nullptr;
    TDayGrid* lv = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Browse1 = nullptr;
    QAction* Setting1 = nullptr;
    bool BrowseEnabled = false;   // the menu's items, also before the menu is made
    bool SettingEnabled = false;
    QTimer* MoveSettled = nullptr;  // a system move ends in a pause of move events
    // Changes of the wallpaper settings and of the screens come in bursts (one per key, one
    // per screen property); a pause this long ends a burst, which is then one reload.
    QTimer* DesktopSettled = nullptr;
    std::function<bool()> CloseGuard;
    bool FactsChangePending = false;
    bool ScreensChangePending = false;
    QRegion Shape;
    QRegion DeviceShape;
    // The last captures, used when "bk.bmp" or "images/applebar.bmp" cannot be written or read
    // back. Until the first capture the files of an earlier run are used.
    QImage LastGridBackground;
    QImage LastTitleBackground;
    bool GridBackgroundSaved = true;
    bool TitleBackgroundSaved = true;
    bool AdoptedCaptures = false;  // the composition was taken from the captures on disk
    bool FontsReady = false;       // LoadFonts ran
    bool SystemMoveRunning = false;
    QPoint ManualDragOffset;        // the mouse's place on the window while it follows it
    bool ManualDragging = false;
};

}  // namespace orvenna::app
