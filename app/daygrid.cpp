#include "app/daygrid.h"

#include "desktop/guitool.h"

#include <QMouseEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace orvenna::app {

TDayGrid::TDayGrid(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void TDayGrid::SetMonth(const TMonthGrid& grid, QDate firstOfMonth, QDate today)
{
    DayItems.clear();
    for (const TDayCell& cell : grid.Days) {
        TDayItem item;
        item.Cell = cell;
        item.Today = firstOfMonth.addDays(cell.Day - 1) == today;
        DayItems.append(item);
    }
    Weeks_.clear();
    for (const TWeekCell& week : grid.Weeks)
        Weeks_.append({week, {}});
    update();
}

QList<TWeekCell> TDayGrid::Weeks() const
{
    QList<TWeekCell> cells;
    for (const TWeekItem& week : Weeks_)
        cells.append(week.Cell);
    return cells;
}

void TDayGrid::SetWeekIcon(int index, QImage icon)
{
    if (index >= 0 && index < Weeks_.size())
        Weeks_[index].Icon = std::move(icon);
}

void TDayGrid::SetIcon(int index, QImage icon)
{
    if (index >= 0 && index < DayItems.size())
        DayItems[index].Icon = std::move(icon);
}

void TDayGrid::SetNoteDays(const QStringList& days)
{
    NoteDays = days;
    update();
}

void TDayGrid::SetNumberFont(const QFont& font, const QColor& color)
{
    NumberFont = font;
    NumberColor = color;
    update();
}

int TDayGrid::DayAt(QPoint point) const
{
    for (const TDayItem& item : DayItems)
        if (DayIconRect(item.Cell.Position).contains(point))
            return item.Cell.Day;
    return 0;
}

void TDayGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const TDayItem& item : DayItems) {
        const QRect iconRect = DayIconRect(item.Cell.Position);
        if (!item.Icon.isNull())
            painter.drawImage(iconRect.topLeft(), item.Icon);
        QFont font = NumberFont;
        const QString number = QString::number(item.Cell.Day);
        if (NoteDays.contains(number))
            font.setUnderline(true);
        painter.setPen(item.Today ? TodayColor : NumberColor);
        const QPoint origin = DayNumberOrigin(item.Cell.Day, item.Cell.Position);
        desktop::TGUITools::DrawSmoothText(painter, number, font, origin.x(), origin.y());
    }
    PaintWeeks(painter);
}

void TDayGrid::PaintWeeks(QPainter& painter)
{
    // Smaller and lighter than the day numbers, so that no week reads as a day.
    QFont font = NumberFont;
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(8, font.pixelSize() * 4 / 5));
    else
        font.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.8));
    font.setBold(false);
    font.setItalic(true);
    font.setUnderline(false);
    QColor color = NumberColor;
    color.setAlphaF(0.75);
    const QFontMetrics metrics(font);
    for (const TWeekItem& week : Weeks_) {
        const QRect box = week.Cell.Box;
        if (!week.Icon.isNull())
            painter.drawImage(box.topLeft(), week.Icon);
        const QString number = QString::number(week.Cell.Week);
        painter.setPen(color);
        const int x = box.center().x() + 1 - metrics.horizontalAdvance(number) / 2;
        const int y = box.top() + (box.height() - metrics.height()) / 2;
        desktop::TGUITools::DrawSmoothText(painter, number, font, x, y);
    }
}

void TDayGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (const int day = DayAt(event->position().toPoint()); day != 0)
        Q_EMIT DayDoubleClicked(day);
}

}  // namespace orvenna::app
