// The program's pictures, drawn in code so that nothing has to be shipped for them.
#include "desktop/guiservices.h"

#include <QPainter>
#include <QPainterPath>

namespace orvenna::desktop {

namespace {

constexpr QColor SheetRed(196, 52, 44);
constexpr QColor SheetPaper(252, 250, 244);
constexpr QColor Ink(48, 48, 56);

QPixmap Blank(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A calendar sheet filling the rectangle: a red band on top with two rings, paper below.
void DrawSheet(QPainter& painter, const QRectF& rect)
{
    const qreal band = rect.height() * 0.28;
    const qreal radius = rect.width() * 0.12;
    QPainterPath sheet;
    sheet.addRoundedRect(rect, radius, radius);
    painter.setPen(QPen(Ink, qMax<qreal>(1, rect.width() / 28)));
    painter.setBrush(SheetPaper);
    painter.drawPath(sheet);
    painter.save();
    painter.setClipPath(sheet);
    painter.fillRect(QRectF(rect.left(), rect.top(), rect.width(), band), SheetRed);
    painter.restore();
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(sheet);
    painter.setBrush(Ink);
    const qreal ring = rect.width() * 0.07;
    for (const qreal x : {rect.left() + rect.width() * 0.3, rect.left() + rect.width() * 0.7})
        painter.drawEllipse(QPointF(x, rect.top() + band / 2), ring, ring);
}

}  // namespace

QPixmap ProgramPicture(int size)
{
    QPixmap pixmap = Blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    DrawSheet(painter, QRectF(s * 0.06, s * 0.08, s * 0.78, s * 0.80));
    // Day dots on the sheet: three rows of four.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(150, 150, 160));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            painter.drawEllipse(QPointF(s * (0.20 + column * 0.15), s * (0.45 + row * 0.13)),
                                s * 0.035, s * 0.035);
    // A bell in front of the lower right corner.
    QPainterPath bell;
    const QPointF top(s * 0.76, s * 0.50);
    bell.moveTo(top);
    bell.cubicTo(s * 0.60, s * 0.52, s * 0.66, s * 0.80, s * 0.56, s * 0.86);
    bell.lineTo(s * 0.96, s * 0.86);
    bell.cubicTo(s * 0.86, s * 0.80, s * 0.92, s * 0.52, top.x(), top.y());
    painter.setPen(QPen(Ink, qMax<qreal>(1, s / 40)));
    painter.setBrush(QColor(236, 184, 48));
    painter.drawPath(bell);
    painter.drawEllipse(QPointF(s * 0.76, s * 0.90), s * 0.045, s * 0.045);
    return pixmap;
}

QIcon MonthIcon(int month)
{
    QPixmap pixmap = Blank(32);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawSheet(painter, QRectF(3, 3, 26, 26));
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Ink);
    painter.drawText(QRectF(3, 11, 26, 18), Qt::AlignCenter, QString::number(month));
    return QIcon(pixmap);
}

QIcon CopyIcon()
{
    QPixmap pixmap = Blank(16);
    QPainter painter(&pixmap);
    painter.setPen(Ink);
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 9, 10);
    painter.drawRect(5, 4, 9, 10);
    for (int y = 7; y <= 11; y += 2)
        painter.drawLine(7, y, 12, y);
    return QIcon(pixmap);
}

QIcon DeleteIcon()
{
    QPixmap pixmap = Blank(16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(SheetRed, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return QIcon(pixmap);
}

QIcon ReminderIcon()
{
    QPixmap pixmap = Blank(16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Ink, 1.2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    painter.drawLine(QPointF(8, 8), QPointF(8, 3.5));
    painter.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    return QIcon(pixmap);
}

QIcon ProgramIcon()
{
    QIcon picture;
    for (const int size : {16, 32, 48})
        picture.addPixmap(ProgramPicture(size));
    return picture;
}

QIcon TrayPicture(const QColor& today)
{
    QPixmap pixmap = Blank(16);
    QPainter painter(&pixmap);
    painter.setPen(QColor(40, 40, 40));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 2, 13, 12);
    painter.fillRect(2, 3, 12, 3, today);
    painter.setPen(QColor(90, 90, 90));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3)
            painter.drawPoint(x, y);
    return QIcon(pixmap);
}

QIcon NotePageIcon(const QColor& ink)
{
    QPixmap picture = Blank(16);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x40, 0x50, 0x70));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    p.setPen(ink);
    for (int y = 5; y <= 12; y += 3)
        p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
    return QIcon(picture);
}

QIcon ClockIcon()
{
    QPixmap picture = Blank(16);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x40, 0x50, 0x70));
    p.setBrush(QColor(0xFF, 0xF4, 0xC0));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    return QIcon(picture);
}

QPixmap RoundButtonPicture(int size, bool check)
{
    QPixmap picture = Blank(size);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient face(size * 0.35, size * 0.3, size * 0.7);
    face.setColorAt(0, QColor(0xD8, 0xD8, 0xD8));
    face.setColorAt(1, QColor(0x80, 0x80, 0x80));
    p.setBrush(face);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.drawEllipse(QRectF(0.5, 0.5, size - 1.5, size - 1.5));
    QPen mark(Qt::white, size / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(mark);
    const double s = size;
    if (check) {
        QPainterPath path;
        path.moveTo(s * 0.28, s * 0.52);
        path.lineTo(s * 0.44, s * 0.68);
        path.lineTo(s * 0.72, s * 0.34);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    } else {
        p.drawLine(QPointF(s * 0.33, s * 0.33), QPointF(s * 0.67, s * 0.67));
        p.drawLine(QPointF(s * 0.67, s * 0.33), QPointF(s * 0.33, s * 0.67));
    }
    return picture;
}

QIcon Swatch(const QColor& color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

}  // namespace orvenna::desktop
