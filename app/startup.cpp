#include "app/startup.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegion>

#include <algorithm>
#include <limits>

namespace orvenna::app {

bool MarkFirstRun(const QString& programFolder, QString* failure)
{
    const QString path = programFolder + QLatin1String(FirstRunFileName);
    QFile marker(path);
    if (marker.open(QIODevice::ReadOnly))
        return false;
    QFile out(path);
    const bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && out.write("1\r\n") == 3 && out.flush();
    if (!written && failure)
        *failure = QCoreApplication::translate("orvenna::store", "Cannot create file \"%1\". %2")
                       .arg(path, out.errorString());
    return true;
}

QPoint InitialPosition(int storedTop, int storedLeft, QSize window, const QRect& primaryWorkArea,
                       const QList<QRect>& screens)
{
    const QPoint corner(primaryWorkArea.x() + primaryWorkArea.width() - window.width(),
                        primaryWorkArea.y() + primaryWorkArea.height() - window.height());
    if (storedTop == 0)
        return corner;
    const QRect stored(QPoint(storedLeft, storedTop), window);
    for (const QRect& screen : screens)
        if (screen.intersects(stored))
            return stored.topLeft();
    return corner;
}

namespace {

// How far apart a point and a rectangle are, squared (0 inside).
qint64 DistanceSquared(const QPoint& point, const QRect& rect)
{
    const qint64 dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
    const qint64 dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
    return dx * dx + dy * dy;
}

qint64 Area(const QRect& rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

// Moves an edge range [start, start + length) into [low, high); a range longer than that
// keeps its start at low.
int Clamp(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length));
}

}  // namespace

QPoint KeptOnScreen(const QRect& window, const QList<TScreenArea>& screens)
{
    QRegion all;
    for (const TScreenArea& screen : screens)
        all += screen.Geometry;
    if (screens.isEmpty() || (QRegion(window) - all).isEmpty())
        return window.topLeft();

    const TScreenArea* nearest = &screens.front();
    qint64 bestOverlap = -1;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const TScreenArea& screen : screens) {
        const qint64 overlap = Area(window.intersected(screen.Geometry));
        const qint64 distance = DistanceSquared(window.center(), screen.Geometry);
        if (overlap > bestOverlap || (overlap == bestOverlap && distance < bestDistance)) {
            nearest = &screen;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    const QRect work = nearest->WorkArea.isEmpty() ? nearest->Geometry : nearest->WorkArea;
    return QPoint(Clamp(window.x(), window.width(), work.left(), work.left() + work.width()),
                  Clamp(window.y(), window.height(), work.top(), work.top() + work.height()));
}

}  // namespace orvenna::app
