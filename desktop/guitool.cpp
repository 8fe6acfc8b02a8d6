#include "desktop/guitool.h"

#include "desktop/picturereader.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <utility>

namespace orvenna::desktop {

namespace {

constexpr int HeaderOverlap = 2;  // each bk.bmp copy covers the two right-most columns of the last

// Read anew on every call: the skin files may be replaced while the program runs. A null
// image when the file cannot be used, with the reason in failure (when given).
QImage LoadSkinImage(const QString& programFolder, const QString& name, int minWidth,
                     QString* failure)
{
    const QString path = programFolder + QLatin1String("images/") + name;
    QString error;
    const QImage image = ReadImageFile(path, &error);
    QString why;
    if (image.isNull())
        why = QStringLiteral("Cannot load the image \"%1\": %2").arg(path, error);
    // A narrower image would make the tiling step zero or negative.
    else if (image.width() < minWidth)
        why = QStringLiteral("The image \"%1\" is narrower than %2 pixels").arg(path).arg(minWidth);
    else
        return image;
    if (failure)
        *failure = why;
    return {};
}

// Copies i = 0..n of the image at (left + i * step, top), n = span / step truncated toward
// zero: none when n < 0, one when -step < span < step.
void DrawRow(QPainter& painter, const QImage& image, int left, int top, std::int64_t span, int step)
{
    const std::int64_t last = span / step;
    for (std::int64_t i = 0; i <= last; ++i)
        painter.drawImage(QPoint(static_cast<int>(left + i * step), top), image);
}

}  // namespace

TGUITools::TGUITools(platform::TPlatform& platform) : Platform(platform) {}

QString TGUITools::GetAppPath() const
{
    return Platform.ProgramFolder();
}

void TGUITools::SetAutoRun(bool enabled)
{
    Platform.SetAutoRun(enabled);
}

bool TGUITools::DrawHeaderBar(const QString& programFolder, int paintBoxWidth, QPainter& painter,
                              QString* failure)
{
    // Both images are loaded before anything is drawn, so a failure leaves the box untouched.
    const QImage body =
        LoadSkinImage(programFolder, QStringLiteral("bk.bmp"), HeaderOverlap + 1, failure);
    if (body.isNull())
        return false;
    const QImage corner = LoadSkinImage(programFolder, QStringLiteral("leftcornor.bmp"), 1, failure);
    if (corner.isNull())
        return false;
    painter.drawImage(QPoint(0, 0), corner);
    DrawRow(painter, body, corner.width(), 0, std::int64_t{paintBoxWidth} - corner.width(),
            body.width() - HeaderOverlap);
    return true;
}

bool TGUITools::TileGridBack(const QString& programFolder, const TEdgeRect& rect, QPainter& painter,
                             QString* failure)
{
    const QImage tile = LoadSkinImage(programFolder, QStringLiteral("grdbk.bmp"), 1, failure);
    if (tile.isNull())
        return false;
    DrawRow(painter, tile, rect.Left, rect.Top, std::int64_t{rect.Right} - rect.Left, tile.width());
    return true;
}

void TGUITools::DrawSmoothText(QPainter& painter, const QString& text, const QFont& font, int x,
                               int y)
{
    QFont smooth = font;
    smooth.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(smooth);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setBackgroundMode(Qt::TransparentMode);
    if (text.isEmpty())
        return;
    const QFontMetrics metrics(smooth, painter.device());
    painter.drawText(x, y + metrics.ascent(), text);
}

}  // namespace orvenna::desktop
