#include "app/startup.h"

#include <QFile>

namespace orvenna::app {

bool MarkFirstRun(const QString& programFolder)
{
    const QString path = programFolder + QLatin1String(FirstRunFileName);
    QFile marker(path);
    if (marker.open(QIODevice::ReadOnly))
        return false;
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write("1\r\n");
    return true;
}

QPoint InitialPosition(int storedTop, int storedLeft, QSize window, const QRect& primaryScreen,
                       const QList<QRect>& screens)
{
    const QPoint corner(primaryScreen.x() + primaryScreen.width() - window.width(),
                        primaryScreen.y() + primaryScreen.height() - window.height());
    if (storedTop == 0)
        return corner;
    const QRect stored(QPoint(storedLeft, storedTop), window);
    for (const QRect& screen : screens)
        if (screen.intersects(stored))
            return stored.topLeft();
    return corner;
}

}  // namespace orvenna::app
