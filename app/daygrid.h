#pragma once
// TDayGrid: the calendar's day grid. One item per day of the shown month, each drawn as its
// 32 x 32 wallpaper piece at (X + 20, Y) with the day number over it; today's number has its
// own colour and days with a note are underlined. Left of the first column the week numbers
// of the rows may stand, smaller, each over its own piece of wallpaper.

#include "app/monthlayout.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QWidget>

namespace orvenna::app {

struct TDayItem {
    TDayCell Cell;
    bool Today = false;  // set only by the month build, for today's date
    QImage Icon;         // the wallpaper piece; null until the icons are cut
};

struct TWeekItem {
    TWeekCell Cell;
    QImage Icon;  // the wallpaper behind the number's box; null until cut
};

inline const QColor TodayColor(253, 180, 21);

class TDayGrid final : public QWidget {
    Q_OBJECT

public:
    explicit TDayGrid(QWidget* parent = nullptr);

    // Replaces the items by the month's cells; the one whose date is today gets the mark.
    void SetMonth(const TMonthGrid& grid, QDate firstOfMonth, QDate today);
    const QList<TDayItem>& Items() const { return DayItems; }
    void SetIcon(int index, QImage icon);
    // The week numbers of the rows, when the month shows them.
    const QList<TWeekItem>& WeekItems() const { return Weeks_; }
    QList<TWeekCell> Weeks() const;
    void SetWeekIcon(int index, QImage icon);
    void SetNoteDays(const QStringList& days);
    // Font and colour of the day numbers (today's colour is fixed).
    void SetNumberFont(const QFont& font, const QColor& color);
    // The day whose piece lies under the point (grid coordinates), 0 for none.
    int DayAt(QPoint point) const;

Q_SIGNALS:
    void DayDoubleClicked(int day);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void PaintWeeks(QPainter& painter);

    QList<TDayItem> DayItems;
    QList<TWeekItem> Weeks_;
    QStringList NoteDays;
    QFont NumberFont;
    QColor NumberColor;
};

}  // namespace orvenna::app
