#include "popup/mouselabel.h"

#include <QMouseEvent>

namespace orvenna::popup {

TMouseLabel::TMouseLabel(QWidget* parent) : QLabel(parent)
{
    // Plain text never has accelerators, so "&" shows as itself.
    setTextFormat(Qt::PlainText);
}

void TMouseLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    emit MouseEnter(this);
}

void TMouseLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    emit MouseLeave(this);
}

void TMouseLabel::mousePressEvent(QMouseEvent* event)
{
    // Taking the press keeps the release on this label instead of the widget beneath.
    event->accept();
}

void TMouseLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
    emit MouseUp(event->button());
}

}  // namespace orvenna::popup
