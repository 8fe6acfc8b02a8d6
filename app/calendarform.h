#pragma once
// TCalendarForm: the calendar on the desktop. A frameless window of 296 x 216 shaped to its
// title box and day cells, each cell filled with the wallpaper that lies behind it, so that
// the month looks painted on the desktop. It owns the settings record, the notes store and
// the wallpaper reader for the whole run.

#include "store/localformat.h"
#include "app/monthlayout.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace orvenna::platform {
class TClock;
class TPlatform;
}  // namespace orvenna::platform
namespace orvenna::store {
class TCalSetting;
class TDayPaperList;
}  // namespace orvenna::store
namespace orvenna::desktop {
class TWallPaper;
}

namespace orvenna::app {

class TDayGrid;
class TTitleBox;

// The windows that open from the calendar come in their own units; each hook left empty keeps
// its command disabled (or, for the timer, does nothing on the tick).
struct TCalendarHooks {
    std::function<void()> Browse;              // "&Browse..."
    std::function<bool()> Setting;             // "&Setting...": true when confirmed with OK
    std::function<void()> ShowTodayNote;       // tray icon double-click
    std::function<void(int day)> ShowDayNote;  // double-click on a day of the shown month
    std::function<void()> CheckReminders;      // Timer1, once a second
    // Shows an error box captioned "Orvenna"; the default is a top-most message box.
    std::function<void(const QString&)> ShowError;
};

class TCalendarForm final : public QWidget {
    Q_OBJECT

public:
    // Runs the creation steps up to the window's shape; Start() shows it. The platform and
    // clock must outlive the window; programFolder ends with '/'.
    TCalendarForm(platform::TPlatform& platform, platform::TClock& clock, QString programFolder,
                  TCalendarHooks hooks = {}, QWidget* parent = nullptr);
    ~TCalendarForm() override;

    // Shows the window on the desktop, captures the wallpaper behind it, adds the tray icon and
    // starts the reminder timer.
    void Start();

    // ---- state record ---------------------------------------------------------------------
    int CellWidth = 0;
    QString WallpaperFile;
    std::unique_ptr<desktop::TWallPaper> WallPaper;
    std::uint32_t LastPaintTick = 0;
    int ShownYear = 0;
    int ShownMonth = 0;
    int ShownDay = 0;
    QPoint ListTopLeft;      // the day grid's client rectangle, captured when shown
    QPoint ListBottomRight;
    std::unique_ptr<store::TDayPaperList> DayPapers;
    store::TLocalFormat LocalFormat;
    QStringList NoteDays;
    std::unique_ptr<store::TCalSetting> Settings;

    // ---- month view -----------------------------------------------------------------------
    void BuildMonth(QDate date);
    QStringList DaysWithNotes() const;
    void PaintTitle(QPainter& painter);
    void BuildWindowRegion();
    void SaveBackgrounds();
    void BuildDayIcons();
    void RefreshNoteMarks();
    // The region last applied as the window's shape.
    const QRegion& WindowShape() const { return Shape; }
    TDayGrid& DayGrid() const { return *lv; }

    // ---- commands -------------------------------------------------------------------------
    void previousMonthItemClick();
    void NextMonthClick();
    void Browse1Click();
    void Setting1Click();
    void Refresh1Click();
    void exit1Click();
    // The desktop's wallpaper facts changed: re-read, re-render, complain about a format.
    void WMSettingChange();
    QMenu& PopupMenu() const { return *PopupMenu1; }
    QSystemTrayIcon* TrayIcon() const { return Tray; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void FormCreate();
    void CreateComponents();
    void CreateMenu();
    void LoadWallpaperOrFill();
    void LoadSettings();
    void LoadNotes();
    void PlaceWindow();
    void AddTrayIcon();
    void ShowUnsupportedWallpaper();
    void ShowMonthOf(int year, int month);
    QString ProgramFile(const QString& name) const { return Folder + name; }
    void TitleMousePress(QMouseEvent* event);
    void TitleMouseMove(QMouseEvent* event);
    void TitleMouseRelease(QMouseEvent* event);
    void DragEnded();
    void Timer1Timer();

    platform::TPlatform& Platform;
    platform::TClock& Clock;
    QString Folder;
    TCalendarHooks Hooks;

    TTitleBox* PaintBox1 = nullptr;
    TDayGrid* lv = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Browse1 = nullptr;
    QAction* Setting1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* MoveSettled = nullptr;  // a system move ends in a pause of move events
    QSystemTrayIcon* Tray = nullptr;
    QRegion Shape;
    // The last captures, used when "bk.bmp" or "images/applebar.bmp" cannot be written or read
    // back. Until the first capture the files of an earlier run are used.
    QImage LastGridBackground;
    QImage LastTitleBackground;
    bool GridBackgroundSaved = true;
    bool TitleBackgroundSaved = true;
    bool SystemMoveRunning = false;
    QPoint ManualDragOffset;        // the mouse's place on the window while it follows it
    bool ManualDragging = false;

    friend class TTitleBox;
};

}  // namespace orvenna::app
