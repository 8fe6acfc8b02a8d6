#include "app/daygrid.h"

#include "desktop/guitool.h"

#include <QMouseEvent>
#include <QPainter>

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
    update();
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
}

void TDayGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (const int day = DayAt(event->position().toPoint()); day != 0)
        Q_EMIT DayDoubleClicked(day);
}

}  // namespace orvenna::app
