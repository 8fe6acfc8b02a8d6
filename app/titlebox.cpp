#include "app/titlebox.h"

#include "app/calendarform.h"
#include "desktop/desktoplog.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace orvenna::app {

TTitleBox::TTitleBox(TCalendarForm& form) : QWidget(&form), Form(form) {}

void TTitleBox::paintEvent(QPaintEvent*)
{
    qCDebug(desktop::lcTrace) << "PaintBox1" << Form.LastPaintTick();
    QPainter painter(this);
    Form.PaintTitle(painter);
}

void TTitleBox::mousePressEvent(QMouseEvent* event)
{
    Form.TitleMousePress(event);
}

void TTitleBox::mouseMoveEvent(QMouseEvent* event)
{
    Form.TitleMouseMove(event);
}

void TTitleBox::mouseReleaseEvent(QMouseEvent* event)
{
    Form.TitleMouseRelease(event);
}

void TTitleBox::contextMenuEvent(QContextMenuEvent* event)
{
    Form.PopupMenu().popup(event->globalPos());
}

}  // namespace orvenna::app
